#include "app/CachedReport.h"

#include <algorithm>
#include <string_view>

#include "typelib/text/AsciiCase.h"

namespace vantrel {

namespace {

std::string_view LastFour(std::string_view name) {
    return name.size() <= 4 ? name : name.substr(name.size() - 4);
}

}  // namespace

bool HasReportPageName(const std::string& shortName) {
    const std::string_view tail = LastFour(shortName);
    if (!equalsIgnoringCase(tail, "html") && !equalsIgnoringCase(tail, ".htm")) return false;
    // The start page, by its 8.3 alias where the file system keeps one, else by name.
    return !equalsIgnoringCase(shortName, "defaul~1.htm") &&
           !equalsIgnoringCase(shortName, "default.html");
}

bool IsCachedReport(const File& file) {
    if (!HasReportPageName(file.ShortName())) return false;
    auto start = file.ReadStart(ReportPageStart.size());
    return start && *start == ReportPageStart;
}

}  // namespace vantrel
