// The command line of vantrel-report: which command to run and what it works on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "typelib/file/Error.h"
#include "typelib/read/ReadOptions.h"

namespace vantrel::cli {

struct Invocation {
    std::string command;             // a name in the command table: "list", "pages", "out", ...
    std::string outFolder;           // --out DIR
    ReadOptions reading;             // --codepage N, --resource ID
    std::string file;                // the component file
    std::vector<std::string> types;  // type names, in the order given
    // diff: the newer build (`file` is the older one), and whether to write JSON.
    std::string newFile;
    bool json = false;
    std::vector<std::string> importPath;  // --import-path folders, in the order given
};

// The exit status of diff: the libraries are the same, differ compatibly, differ in a way
// that breaks clients; or the comparison failed (a file can't be read, a wrong command line).
namespace diffstatus {
inline constexpr int Same = 0, Compatible = 1, Breaking = 2, Failed = 3;
}

// Whether the command line asks for diff, whose exit statuses differ from the others'.
bool IsDiffCommand(const std::vector<std::string_view>& arguments);

// Any error is a usage error: the text says what is wrong with the command line.
Expected<Invocation> ParseArguments(const std::vector<std::string_view>& arguments);

// The text that --help prints.
std::string UsageText();

}  // namespace vantrel::cli
