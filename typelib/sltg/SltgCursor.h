// A bounds-checked cursor over SLTG data: the library block and the reference table are
// runs of fields whose positions depend on the lengths of the strings before them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

class SltgCursor {
public:
    SltgCursor(const ByteReader& bytes, int64_t at) : bytes_(bytes), at_(at) {}

    int64_t at() const { return at_; }

    Expected<uint8_t> u8() { return advance(bytes_.u8(at_), 1); }
    Expected<uint16_t> u16() { return advance(bytes_.u16(at_), 2); }
    Expected<uint32_t> u32() { return advance(bytes_.u32(at_), 4); }
    Expected<Guid> guid();
    // A counted string: u16 length, then the bytes; length 0xFFFF is no string.
    Expected<std::optional<std::span<const uint8_t>>> counted();
    Expected<void> skip(int64_t length);

private:
    template <class T>
    Expected<T> advance(Expected<T> value, int64_t length) {
        if (value) at_ += length;
        return value;
    }

    const ByteReader& bytes_;
    int64_t at_;
};

// "2,304": counts in descriptions, grouped as people read them.
std::string grouped(uint64_t value);

}  // namespace vantrel
