// A file mapped read-only into memory. A library opened from a mapping costs only the
// pages that are read: listing a large library's types touches its header and tables,
// not the member records that make up most of it, and a fresh process pays for no
// buffer that a read would first have to fault in page by page.
//
// A mapped file that another program cuts short would raise SIGBUS on a read past its
// new end. Mappings made here are guarded instead: such a page reads as zeros, which
// the reader's bounds and checks then treat as any other damaged data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vantrel {

class FileMapping {
public:
    // The first `size` bytes of the open file `fd`, mapped and guarded; null when the
    // file can't be mapped (an empty file, one that isn't a regular file, too many
    // mappings open at once): the caller reads it instead. The descriptor may be
    // closed afterwards.
    static std::shared_ptr<const FileMapping> map(int fd, size_t size);

    ~FileMapping();
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    std::span<const uint8_t> bytes() const { return {start_, size_}; }

private:
    FileMapping(const uint8_t* start, size_t size, size_t slot) : start_(start), size_(size), slot_(slot) {}

    const uint8_t* start_;
    size_t size_;
    size_t slot_;  // in the table of guarded ranges
};

}  // namespace vantrel
