// The command line of vantrel-report: which command to run and what it works on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "typelib/file/Error.h"

namespace vantrel::cli {

struct Invocation {
    std::string command;             // a name in the command table: "list", "pages", "out", ...
    std::string optionValue;         // the value of an option that takes one (--out DIR)
    std::string file;                // the component file
    std::vector<std::string> types;  // type names, in the order given
    std::vector<std::string> importPath;  // --import-path folders, in the order given
};

// Any error is a usage error: the text says what is wrong with the command line.
Expected<Invocation> ParseArguments(const std::vector<std::string_view>& arguments);

// The text that --help prints.
std::string UsageText();

}  // namespace vantrel::cli
