// Reads files whole or in parts, the one place the reader touches the file system.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "typelib/Error.h"

namespace vantrel {

// Files above this size are refused: the largest real type libraries are a few MiB.
inline constexpr uint64_t kMaxLibraryFileSize = 256ull * 1024 * 1024;

// A file opened for reading, whole or a range at a time. Counts the bytes it reads.
class LibraryFile {
public:
    // Errors: 53 "File not found: PATH"; 75 for a folder, a file above the limit, or a
    // file that can't be opened.
    static Expected<LibraryFile> open(const std::string& path);

    const std::string& path() const { return path_; }
    uint64_t size() const { return size_; }
    uint64_t bytesRead() const { return bytesRead_; }

    // `length` bytes at `offset`. Error 75 when the range passes the file's size or the
    // read comes up short; nothing is allocated for a range outside the file.
    Expected<std::vector<uint8_t>> readAt(uint64_t offset, uint64_t length);
    Expected<std::vector<uint8_t>> readAll() { return readAt(0, size_); }

private:
    LibraryFile(std::string path, uint64_t size) : path_(std::move(path)), size_(size) {}

    std::string path_;
    uint64_t size_ = 0;
    uint64_t bytesRead_ = 0;
    std::ifstream in_;
};

// The whole file; the errors of LibraryFile::open and readAll.
Expected<std::vector<uint8_t>> readWholeFile(const std::string& path);

}  // namespace vantrel
