// Reads a whole file into memory, the one place the reader touches the file system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "typelib/Error.h"

namespace vantrel {

// Files above this size are refused: the largest real type libraries are a few MiB.
inline constexpr uint64_t kMaxLibraryFileSize = 256ull * 1024 * 1024;

// Errors: 53 "File not found: PATH"; 75 for a folder, a file above the limit, or a file
// that can't be read.
Expected<std::vector<uint8_t>> readWholeFile(const std::string& path);

}  // namespace vantrel
