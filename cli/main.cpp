// vantrel-report: the type names and member report pages of a type library, for
// scripts, API diffs and machines without a display.
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "typelib/file/MemoryReuse.h"

namespace {

constexpr int ExitError = 1;
constexpr int ExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    vantrel::keepFreedMemoryForReuse();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    // diff answers with 0 to 2 itself, so its failures have a status of their own.
    const bool diff = vantrel::cli::IsDiffCommand(arguments);
    const auto invocation = vantrel::cli::ParseArguments(arguments);
    if (!invocation) {
        vantrel::cli::PrintError(invocation.error().description);
        std::fputs("Try 'vantrel-report --help'.\n", stderr);
        return diff ? vantrel::cli::diffstatus::Failed : ExitUsage;
    }
    const auto result = vantrel::cli::RunCommand(*invocation);
    if (!result) {
        vantrel::cli::PrintError(result.error().description);
        if (diff) return vantrel::cli::diffstatus::Failed;
        return result.error().number == vantrel::cli::SomePagesFailed ? vantrel::cli::ExitSomePagesFailed
                                                                       : ExitError;
    }
    return *result;
}
