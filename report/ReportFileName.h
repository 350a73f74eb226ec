// Names the file that a type's report page is stored in: the component file's name,
// "_", the type name and ".html". Characters that a file name can't hold become "_",
// so no type name can lead outside the folder the page is written to. A name longer
// than a file system takes keeps its start and ends in a short hash of the whole name,
// the same in every run, so the window and vantrel-report name a page alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// The longest file name that common file systems take, in bytes.
inline constexpr size_t MaxReportFileNameBytes = 255;

// componentPath: the component's path (its last path component is used);
// typeName: the type's name as listed. Returns a bare file name, never a path, of at
// most MaxReportFileNameBytes bytes.
std::string ReportFileName(std::string_view componentPath, std::string_view typeName);

// The file name for a type whose ReportFileName another type of the same library
// already takes ("a/b" and "a_b" both give "..._a_b.html"): `attempt` (1, 2, ...) and
// the type's exact name make it differ; a caller tries attempts until one is free.
std::string DistinctReportFileName(std::string_view componentPath, std::string_view typeName,
                                   unsigned attempt);

}  // namespace vantrel
