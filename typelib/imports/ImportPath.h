// The folders where the user keeps type libraries: searched for an import that neither
// the built-in libraries nor the importing component's folder provide.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The environment variable that lists them, separated by ':'.
inline constexpr const char* ImportPathVariable = "VANTREL_IMPORT_PATH";

// The folders of a ':'-separated list, in order; empty entries are dropped.
std::vector<std::string> splitImportPath(std::string_view list);

// The folders that VANTREL_IMPORT_PATH lists; none when it is unset.
std::vector<std::string> importPathFromEnvironment();

}  // namespace vantrel
