#include "app/CachedReport.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace vantrel {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view LastFour(std::string_view name) {
    return name.size() <= 4 ? name : name.substr(name.size() - 4);
}

}  // namespace

bool HasReportPageName(const std::string& shortName) {
    const std::string_view tail = LastFour(shortName);
    if (!EqualsIgnoringCase(tail, "html") && !EqualsIgnoringCase(tail, ".htm")) return false;
    // The start page, by its 8.3 alias where the file system keeps one, else by name.
    return !EqualsIgnoringCase(shortName, "defaul~1.htm") &&
           !EqualsIgnoringCase(shortName, "default.html");
}

bool IsCachedReport(const File& file) {
    if (!HasReportPageName(file.ShortName())) return false;
    auto start = file.ReadStart(ReportPageStart.size());
    return start && *start == ReportPageStart;
}

}  // namespace vantrel
