// Reads a type library from the bytes of a file: a standalone MSFT or SLTG library, or
// the TYPELIB resource of a PE32/PE32+ or 16-bit NE image. A library holds what it needs of
// the bytes (a copy of them where they were only lent) to decode its types' members when
// they are first asked for; the result refers to nothing in the input afterwards.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "typelib/file/Error.h"
#include "typelib/model/TypeInfo.h"
#include "typelib/read/ReadOptions.h"

namespace vantrel {

// `path` names the file in error descriptions.
Expected<LibraryInfo> readTypeLibrary(std::span<const uint8_t> bytes, const std::string& path,
                                      const ReadOptions& options = {});

// How readTypeLibraryFile reads a file; tests lower the sizes to read small files in parts.
struct FileReadLimits {
    // Smaller files are read whole. A PE image of this size or more is read in parts: its
    // head, the section holding the resource tree, and the chosen resource's data.
    uint64_t partsFrom = 1024 * 1024;
    // The first read of a file read in parts; the PE headers must lie inside it.
    uint64_t headSize = 64 * 1024;
};

// What readTypeLibraryFile read: the bytes taken from the file, and whether it read the
// whole file (a small file, no PE image, or reading in parts could not decide).
struct FileReadStats {
    uint64_t bytesRead = 0;
    bool readWhole = false;
};

// The type library of the file at `path`. The library or error is always the one that
// readWholeFile followed by readTypeLibrary gives: whenever a part can't be read or
// the PE layout reaches out of what was read, the whole file is read after all.
Expected<LibraryInfo> readTypeLibraryFile(const std::string& path, const ReadOptions& options = {},
                                          const FileReadLimits& limits = {}, FileReadStats* stats = nullptr);

// One type library of a file: the TYPELIB resource's id (0 for a type library file) and
// the library read from it, or why it can't be read.
struct CarriedLibrary {
    uint32_t resourceId = 0;
    Expected<LibraryInfo> library;
};

// Every type library the file carries, in resource-id order; an error only when the
// file can't be read or is neither a type library nor a PE file with TYPELIB resources.
Expected<std::vector<CarriedLibrary>> readCarriedLibraries(const std::string& path, const ReadOptions& options = {});

}  // namespace vantrel
