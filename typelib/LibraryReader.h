// Reads a type library from the bytes of a file: a standalone MSFT library, or the
// TYPELIB resource of a PE32/PE32+ image. Everything is decoded here, once; the result
// refers to nothing in the input afterwards.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "typelib/Error.h"
#include "typelib/TypeInfo.h"

namespace vantrel {

// `path` names the file in error descriptions.
Expected<LibraryInfo> readTypeLibrary(std::span<const uint8_t> bytes, const std::string& path);

}  // namespace vantrel
