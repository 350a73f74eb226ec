#include "typelib/file/ByteReader.h"

#include "typelib/file/Messages.h"

namespace vantrel {

std::string hex(uint64_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "0x" + text;
}

Error ByteReader::outOfRange(int64_t offset, int64_t length) const {
    return damaged(readsPastEnd(region_, bytes_.size(), offset, length));
}

Expected<uint8_t> ByteReader::u8(int64_t offset) const {
    if (!contains(offset, 1)) return outOfRange(offset, 1);
    return bytes_[static_cast<size_t>(offset)];
}

Expected<uint16_t> ByteReader::u16(int64_t offset) const {
    if (!contains(offset, 2)) return outOfRange(offset, 2);
    return u16Unchecked(static_cast<size_t>(offset));
}

Expected<uint32_t> ByteReader::u32(int64_t offset) const {
    if (!contains(offset, 4)) return outOfRange(offset, 4);
    return u32Unchecked(static_cast<size_t>(offset));
}

Expected<int16_t> ByteReader::i16(int64_t offset) const {
    if (!contains(offset, 2)) return outOfRange(offset, 2);
    return static_cast<int16_t>(u16Unchecked(static_cast<size_t>(offset)));
}

Expected<int32_t> ByteReader::i32(int64_t offset) const {
    if (!contains(offset, 4)) return outOfRange(offset, 4);
    return i32Unchecked(static_cast<size_t>(offset));
}

Expected<std::span<const uint8_t>> ByteReader::span(int64_t offset, int64_t length) const {
    if (!contains(offset, length)) return outOfRange(offset, length);
    return bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
}

Expected<ByteReader> ByteReader::sub(int64_t offset, int64_t length, std::string_view region) const {
    if (!contains(offset, length)) return outOfRange(offset, length);
    return ByteReader(bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length)), region);
}

}  // namespace vantrel
