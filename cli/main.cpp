// vantrel-report: the type names and member report pages of a type library, for
// scripts, API diffs and machines without a display.
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"

namespace {

constexpr int ExitError = 1;
constexpr int ExitUsage = 2;

void printError(const std::string& description) {
    std::fprintf(stderr, "vantrel-report: %s\n", description.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto invocation = vantrel::cli::ParseArguments(arguments);
    if (!invocation) {
        printError(invocation.error().description);
        std::fputs("Try 'vantrel-report --help'.\n", stderr);
        return ExitUsage;
    }
    const auto result = vantrel::cli::RunCommand(*invocation);
    if (!result) {
        printError(result.error().description);
        return ExitError;
    }
    return 0;
}
