#include "typelib/sltg/SltgCursor.h"

#include <algorithm>

namespace vantrel {

Expected<Guid> SltgCursor::guid() {
    const std::span<const uint8_t> bytes = VANTREL_TRY(bytes_.span(at_, 16));
    Guid guid;
    guid.data1 = bytes_.u32Unchecked(static_cast<size_t>(at_));
    guid.data2 = bytes_.u16Unchecked(static_cast<size_t>(at_) + 4);
    guid.data3 = bytes_.u16Unchecked(static_cast<size_t>(at_) + 6);
    std::copy(bytes.begin() + 8, bytes.end(), guid.data4.begin());
    at_ += 16;
    return guid;
}

Expected<std::optional<std::span<const uint8_t>>> SltgCursor::counted() {
    const uint16_t length = VANTREL_TRY(u16());
    if (length == 0xFFFF) return std::optional<std::span<const uint8_t>>();
    const std::span<const uint8_t> text = VANTREL_TRY(bytes_.span(at_, length));
    at_ += length;
    return std::optional<std::span<const uint8_t>>(text);
}

Expected<void> SltgCursor::skip(int64_t length) {
    if (!bytes_.contains(at_, length)) return bytes_.outOfRange(at_, length);
    at_ += length;
    return {};
}

std::string grouped(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

}  // namespace vantrel
