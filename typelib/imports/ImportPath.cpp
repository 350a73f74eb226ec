#include "typelib/imports/ImportPath.h"

#include <cstdlib>

namespace vantrel {

std::vector<std::string> splitImportPath(std::string_view list) {
    std::vector<std::string> folders;
    while (!list.empty()) {
        const size_t colon = list.find(':');
        const std::string_view folder = list.substr(0, colon);
        if (!folder.empty()) folders.emplace_back(folder);
        if (colon == std::string_view::npos) break;
        list.remove_prefix(colon + 1);
    }
    return folders;
}

std::vector<std::string> importPathFromEnvironment() {
    const char* list = std::getenv(ImportPathVariable);
    return list ? splitImportPath(list) : std::vector<std::string>();
}

}  // namespace vantrel
