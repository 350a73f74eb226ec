#include "typelib/file/FileBytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "typelib/file/FileMapping.h"

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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return cantRead(path);
    return LibraryFile(path, size, fd);
}

LibraryFile::LibraryFile(std::string path, uint64_t size, int fd) : path_(std::move(path)), size_(size), fd_(fd) {
    if (std::shared_ptr<const FileMapping> mapping = FileMapping::map(fd_, static_cast<size_t>(size_))) {
        mapped_ = {mapping, static_cast<size_t>(size_), mapping->bytes()};
        ::close(std::exchange(fd_, -1));
    }
}

LibraryFile::LibraryFile(LibraryFile&& other) noexcept
    : path_(std::move(other.path_)), size_(other.size_), bytesRead_(other.bytesRead_),
      fd_(std::exchange(other.fd_, -1)), mapped_(std::move(other.mapped_)) {}

LibraryFile& LibraryFile::operator=(LibraryFile&& other) noexcept {
    if (this == &other) return *this;
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    size_ = other.size_;
    bytesRead_ = other.bytesRead_;
    fd_ = std::exchange(other.fd_, -1);
    mapped_ = std::move(other.mapped_);
    return *this;
}

LibraryFile::~LibraryFile() {
    if (fd_ >= 0) ::close(fd_);
}

Expected<HeldBytes> LibraryFile::readAt(uint64_t offset, uint64_t length) {
    if (offset > size_ || length > size_ - offset) return cantRead(path_);
    if (mapped_.owner) {
        bytesRead_ += length;
        return mapped_.part(mapped_.bytes.subspan(static_cast<size_t>(offset), static_cast<size_t>(length)));
    }
    FileBuffer bytes(static_cast<size_t>(length));
    VANTREL_CHECK(readInto(offset, bytes.data(), length));
    return HeldBytes::of(std::move(bytes));
}

Expected<void> LibraryFile::readInto(uint64_t offset, uint8_t* into, uint64_t length) {
    while (length > 0) {
        const ssize_t got = ::pread(fd_, into, static_cast<size_t>(length), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return cantRead(path_);
        const auto count = static_cast<uint64_t>(got);
        bytesRead_ += count;
        into += count;
        offset += count;
        length -= count;
    }
    return {};
}

HeldBytes HeldBytes::of(FileBuffer buffer) {
    auto owner = std::make_shared<const FileBuffer>(std::move(buffer));
    const std::span<const uint8_t> bytes(*owner);
    return {owner, bytes.size(), bytes};
}

HeldBytes HeldBytes::copyOf(std::span<const uint8_t> bytes) { return of(FileBuffer(bytes.begin(), bytes.end())); }

HeldBytes HeldBytes::trimmed() const { return !owner || bytes.size() * 2 < ownerSize ? copyOf(bytes) : *this; }

Expected<HeldBytes> holdWholeFile(const std::string& path) {
    LibraryFile file = VANTREL_TRY(LibraryFile::open(path));
    return file.readAll();
}

Expected<FileBuffer> readWholeFile(const std::string& path) {
    const HeldBytes bytes = VANTREL_TRY(holdWholeFile(path));
    return FileBuffer(bytes.bytes.begin(), bytes.bytes.end());
}

}  // namespace vantrel
