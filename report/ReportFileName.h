// Names the file that a type's report page is stored in: the component file's name,
// "_", the type name and ".html". Characters that a file name can't hold become "_",
// so no type name can lead outside the folder the page is written to.
#pragma once

#include <string>

namespace vantrel {

// componentPath: the component's path (its last path component is used);
// typeName: the type's name as listed. Returns a bare file name, never a path.
std::string ReportFileName(const std::string& componentPath, const std::string& typeName);

}  // namespace vantrel
