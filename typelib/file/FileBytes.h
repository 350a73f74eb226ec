// Reads files whole or in parts, the one place the reader touches the file system.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "typelib/file/Error.h"

namespace vantrel {

// Files above this size are refused: the largest real type libraries are a few MiB.
inline constexpr uint64_t kMaxLibraryFileSize = 256ull * 1024 * 1024;

// An allocator that leaves a new element uninitialised where it has no arguments: a
// buffer that a read fills at once need not be zeroed first.
template <class T>
class UninitialisedAllocator : public std::allocator<T> {
public:
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}

    template <class U>
    void construct(U* place) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(place)) U;
    }
    template <class U, class... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

// Bytes read from a file.
using FileBuffer = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// The bytes of a library with what keeps them alive: a library that decodes its members
// when they are asked for holds its bytes for as long as it lives.
struct HeldBytes {
    std::shared_ptr<const void> owner;  // null: bytes only lent, to be copied if kept
    size_t ownerSize = 0;  // the bytes `owner` keeps, of which `bytes` may be a part
    std::span<const uint8_t> bytes;

    // A buffer held whole.
    static HeldBytes of(FileBuffer buffer);
    // A copy of `bytes` that holds itself.
    static HeldBytes copyOf(std::span<const uint8_t> bytes);
    // Bytes only lent for the call.
    static HeldBytes lent(std::span<const uint8_t> bytes) { return {nullptr, 0, bytes}; }
    // `part` of these bytes, held by the same owner.
    HeldBytes part(std::span<const uint8_t> part) const { return {owner, ownerSize, part}; }
    // The same bytes held: copied when they are lent or a small part of what the owner
    // keeps, so that a library does not keep the whole file it came from.
    HeldBytes trimmed() const;
};

// A file opened for reading, whole or a range at a time: mapped where it can be (see
// FileMapping.h), else read. Counts the bytes it hands out.
class LibraryFile {
public:
    // Errors: 53 "File not found: PATH"; 75 for a folder, a file above the limit, or a
    // file that can't be opened.
    static Expected<LibraryFile> open(const std::string& path);

    LibraryFile(LibraryFile&& other) noexcept;
    LibraryFile& operator=(LibraryFile&& other) noexcept;
    ~LibraryFile();

    const std::string& path() const { return path_; }
    uint64_t size() const { return size_; }
    uint64_t bytesRead() const { return bytesRead_; }

    // `length` bytes at `offset`: a part of the mapping, or a buffer read for them.
    // Error 75 when the range passes the file's size or the read comes up short;
    // nothing is allocated for a range outside the file.
    Expected<HeldBytes> readAt(uint64_t offset, uint64_t length);
    Expected<HeldBytes> readAll() { return readAt(0, size_); }

private:
    LibraryFile(std::string path, uint64_t size, int fd);
    Expected<void> readInto(uint64_t offset, uint8_t* into, uint64_t length);

    std::string path_;
    uint64_t size_ = 0;
    uint64_t bytesRead_ = 0;
    int fd_ = -1;  // open only while the file is read rather than mapped
    HeldBytes mapped_;
};

// The whole file, held by its mapping where it has one; the errors of LibraryFile::open
// and readAll.
Expected<HeldBytes> holdWholeFile(const std::string& path);
// The same bytes copied into a buffer of their own.
Expected<FileBuffer> readWholeFile(const std::string& path);

}  // namespace vantrel
