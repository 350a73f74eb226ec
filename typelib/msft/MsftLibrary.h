// Reads an MSFT type library blob into a LibraryInfo; the types' members are decoded
// from the blob, which the library holds, when they are first asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "typelib/file/FileBytes.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

// Errors carry descriptions without the file name ("type 12 points past the end of
// the file"); member errors of single types are given as TypeMembers::error, as small
// as that, and named with the file and the type when shown. Names and strings are
// decoded in `forcedCodePage` when it is not 0, else in the code page that
// libraryCodePage chooses.
// `keptBytes`: see ReadOptions::keptMemberBytes.
Expected<LibraryInfo> readMsftLibrary(const HeldBytes& blob, uint32_t forcedCodePage = 0,
                                      std::optional<size_t> keptBytes = {});
// The same on a copy of `blob`.
Expected<LibraryInfo> readMsftLibrary(std::span<const uint8_t> blob, uint32_t forcedCodePage = 0);

}  // namespace vantrel
