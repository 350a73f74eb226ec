#include "report/ReportFileName.h"

namespace vantrel {

namespace {

bool fileNameCanHold(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c != '/' && c != '\\' && byte >= 0x20 && byte != 0x7F;
}

std::string safeForFileName(std::string text) {
    for (char& c : text)
        if (!fileNameCanHold(c)) c = '_';
    return text;
}

}  // namespace

std::string ReportFileName(const std::string& componentPath, const std::string& typeName) {
    const auto slash = componentPath.find_last_of('/');
    const std::string componentName =
        slash == std::string::npos ? componentPath : componentPath.substr(slash + 1);
    return safeForFileName(componentName) + "_" + safeForFileName(typeName) + ".html";
}

}  // namespace vantrel
