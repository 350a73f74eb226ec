// Which files in the program folder are report pages the window wrote, and so may go.
#pragma once

#include <string>

#include "app/FileSystemObject.h"

namespace vantrel {

// The fixed opening of every report page.
inline constexpr std::string_view ReportPageStart = "<html>\r\n<head><title>";

// A name ending in "html" or ".htm", ignoring case, that is not the start page's.
bool HasReportPageName(const std::string& shortName);

// A report page: its name says so and its content begins like one, so a page of the
// user's own in the folder stays.
bool IsCachedReport(const File& file);

}  // namespace vantrel
