#include "typelib/file/FileBytes.h"

#include <filesystem>
#include <system_error>

namespace vantrel {
namespace {

Error cantRead(const std::string& path) {
    return makeError(errc::PathFileAccess, "The file '" + path + "' can't be read");
}

}  // namespace

Expected<LibraryFile> LibraryFile::open(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        return makeError(errc::FileNotFound, "File not found: " + path);
    }
    if (std::filesystem::is_directory(status)) {
        return makeError(errc::PathFileAccess,
                         "'" + path + "' is a folder, not a type library file");
    }
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return cantRead(path);
    if (size > kMaxLibraryFileSize) {
        return makeError(errc::PathFileAccess, "The file '" + path + "' is too large (" +
                                                   std::to_string(size) +
                                                   " bytes) to be a type library; the limit is 256 MiB");
    }
    LibraryFile file(path, size);
    file.in_.open(path, std::ios::binary);
    if (!file.in_) return cantRead(path);
    return file;
}

Expected<FileBuffer> LibraryFile::readAt(uint64_t offset, uint64_t length) {
    if (offset > size_ || length > size_ - offset) return cantRead(path_);
    FileBuffer bytes(static_cast<size_t>(length));
    VANTREL_CHECK(readInto(offset, bytes.data(), length));
    return bytes;
}

Expected<void> LibraryFile::readRest(FileBuffer& start) {
    const uint64_t have = start.size();
    if (have > size_) return cantRead(path_);
    start.resize(static_cast<size_t>(size_));
    return readInto(have, start.data() + have, size_ - have);
}

Expected<void> LibraryFile::readInto(uint64_t offset, uint8_t* into, uint64_t length) {
    // A failed read earlier leaves the stream's error bits set; they would fail the seek.
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    if (!in_) return cantRead(path_);
    in_.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(length));
    const uint64_t got = static_cast<uint64_t>(in_.gcount());
    bytesRead_ += got;
    if (got != length) return cantRead(path_);
    return {};
}

HeldBytes HeldBytes::of(FileBuffer buffer) {
    auto owner = std::make_shared<const FileBuffer>(std::move(buffer));
    const std::span<const uint8_t> bytes(*owner);
    return {owner, bytes.size(), bytes};
}

HeldBytes HeldBytes::copyOf(std::span<const uint8_t> bytes) { return of(FileBuffer(bytes.begin(), bytes.end())); }

HeldBytes HeldBytes::trimmed() const { return !owner || bytes.size() * 2 < ownerSize ? copyOf(bytes) : *this; }

Expected<FileBuffer> readWholeFile(const std::string& path) {
    LibraryFile file = VANTREL_TRY(LibraryFile::open(path));
    return file.readAll();
}

}  // namespace vantrel
