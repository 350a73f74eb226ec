// Decodes a whole MSFT type library blob into a LibraryInfo.
#pragma once

#include <cstdint>
#include <span>

#include "typelib/model/TypeInfo.h"

namespace vantrel {

// Errors carry descriptions without the file name ("type 12 points past the end of
// the file"); member errors of single types are stored in TypeInfo::memberError, as
// small as that, and named with the file and the type when shown. Names and strings are
// decoded in `forcedCodePage` when it is not 0, else in the code page that
// libraryCodePage chooses.
Expected<LibraryInfo> readMsftLibrary(std::span<const uint8_t> blob, uint32_t forcedCodePage = 0);

}  // namespace vantrel
