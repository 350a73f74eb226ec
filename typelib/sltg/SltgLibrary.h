// Reads an SLTG type library blob into a LibraryInfo, the same model as MSFT.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "typelib/file/FileBytes.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

// Errors carry descriptions without the file name ("its block chain runs in a circle");
// member errors of single types are stored in TypeMembers::error, named with the file
// and the type when shown. Names and strings are decoded in `forcedCodePage` when it is
// not 0, else in the code page that libraryCodePage chooses.
// Functions and variables are decoded from `blob`, which the library holds, when they are
// first asked for; `keptBytes`: see ReadOptions::keptMemberBytes.
Expected<LibraryInfo> readSltgLibrary(const HeldBytes& blob, uint32_t forcedCodePage = 0,
                                      std::optional<size_t> keptBytes = {});

}  // namespace vantrel
