#include "typelib/msft/MsftNameTable.h"

namespace vantrel {
namespace {

constexpr int64_t kEntryHeaderSize = 12;

}  // namespace

Expected<void> MsftNameTable::firstUse(int32_t offset, std::string_view& name) {
    if (offset == -1) {
        name = {};
        return {};
    }
    const std::span<const uint8_t> text = VANTREL_TRY(textAt(offset));
    const size_t entrySize = static_cast<size_t>(kEntryHeaderSize) + text.size();
    // A damaged file's unaligned offset is kept apart from the aligned slots.
    if (offset % 4 != 0) {
        if (const std::string_view* known = texts_.find(offset)) {
            name = *known;
            return {};
        }
        name = VANTREL_TRY(texts_.decodeAt(offset, text, entrySize));
        return {};
    }
    if (slots_.empty()) slots_.assign(table_.size() / 4 + 1, 0);
    name = VANTREL_TRY(texts_.decode(text, entrySize));
    decoded_.push_back(name);
    slots_[static_cast<size_t>(offset) / 4] = static_cast<uint32_t>(decoded_.size());
    return {};
}

Expected<std::span<const uint8_t>> MsftNameTable::textAt(int32_t offset) const {
    // A negative offset is outside even when the length word it implies is not.
    if (offset < 0) return table_.outOfRange(offset, kEntryHeaderSize);
    // The low byte of the entry's third word is the length; the text follows the
    // 12-byte header.
    const int64_t lengthAt = int64_t{offset} + 8;
    const int64_t text = int64_t{offset} + kEntryHeaderSize;
    if (!table_.contains(lengthAt, 1)) return table_.outOfRange(lengthAt, 1);
    const uint8_t length = table_.bytes()[static_cast<size_t>(lengthAt)];
    return table_.span(text, length);
}

}  // namespace vantrel
