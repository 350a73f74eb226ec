// The canonical text dump of a library as our reader decodes it: the same lines, in the
// same order, that platform_dump writes from the platform's reader (see DumpFormat.md).
#pragma once

#include <string>

#include "typelib/TypeLibrary.h"

namespace vantrel::conformance {

std::string dumpLibrary(const TypeLibrary& library);

}  // namespace vantrel::conformance
