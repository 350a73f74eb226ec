// A bounds-checked view of a byte range: every read names its offset and fails with an
// Error instead of reading past the end. All decoding of file data goes through it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "typelib/file/Error.h"

namespace vantrel {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(std::span<const uint8_t> bytes, std::string_view region)
        : bytes_(bytes), region_(region) {}

    size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    std::string_view region() const { return region_; }
    std::span<const uint8_t> bytes() const { return bytes_; }

    // True when [offset, offset + length) lies inside; negative offsets never do.
    bool contains(int64_t offset, int64_t length) const {
        return offset >= 0 && length >= 0 && static_cast<uint64_t>(offset) <= bytes_.size() &&
               static_cast<uint64_t>(length) <= bytes_.size() - static_cast<uint64_t>(offset);
    }

    Expected<uint8_t> u8(int64_t offset) const;
    Expected<uint16_t> u16(int64_t offset) const;
    Expected<uint32_t> u32(int64_t offset) const;
    Expected<int16_t> i16(int64_t offset) const;
    Expected<int32_t> i32(int64_t offset) const;

    // Reads that the caller has already range-checked with contains(). The file is
    // little-endian; one load each, as these are the reads every record is made of.
    uint16_t u16Unchecked(size_t offset) const { return littleEndian<uint16_t>(offset); }
    uint32_t u32Unchecked(size_t offset) const { return littleEndian<uint32_t>(offset); }
    int32_t i32Unchecked(size_t offset) const { return static_cast<int32_t>(u32Unchecked(offset)); }

    Expected<std::span<const uint8_t>> span(int64_t offset, int64_t length) const;
    Expected<ByteReader> sub(int64_t offset, int64_t length, std::string_view region) const;

    // "the name table ends after 60 bytes, but 12 bytes are read at offset 64"
    Error outOfRange(int64_t offset, int64_t length) const;

private:
    template <class T>
    T littleEndian(size_t offset) const {
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof value);
        if constexpr (std::endian::native == std::endian::big) value = byteSwapped(value);
        return value;
    }
    template <class T>
    static T byteSwapped(T value) {
        T swapped = 0;
        for (size_t i = 0; i < sizeof value; ++i) swapped = static_cast<T>((swapped << 8) | ((value >> (8 * i)) & 0xFF));
        return swapped;
    }

    std::span<const uint8_t> bytes_;
    std::string_view region_ = "the data";  // a static description, e.g. "the name table"
};

// "0x1A2B"
std::string hex(uint64_t value);


}  // namespace vantrel
