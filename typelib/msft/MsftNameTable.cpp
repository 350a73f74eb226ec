#include "typelib/msft/MsftNameTable.h"

#include "typelib/text/CodePage.h"

namespace vantrel {

Expected<std::string_view> MsftNameTable::firstUse(int32_t offset) {
    if (offset == -1) return std::string_view();
    // A damaged file's unaligned offset is decoded each time: the records that hold
    // offsets are bounded by the file's size, and so is the work.
    if (offset < 0 || offset % 4 != 0 || !table_.contains(offset, 1)) return decode(offset);
    // pooledName found no entry for it: decode it and keep it.
    if (slots_.empty()) slots_.assign(table_.size() / 4 + 1, 0);
    const std::string_view text = VANTREL_TRY(decode(offset));
    decoded_.push_back(text);
    slots_[static_cast<size_t>(offset) / 4] = static_cast<uint32_t>(decoded_.size());
    return text;
}

Expected<std::string> MsftNameTable::name(int32_t offset) {
    return std::string(VANTREL_TRY(pooledName(offset)));
}

Expected<std::string_view> MsftNameTable::decode(int32_t offset) {
    // The low byte of the entry's third word is the length; the text follows the
    // 12-byte header.
    const int64_t lengthAt = int64_t{offset} + 8;
    const int64_t text = int64_t{offset} + 12;
    if (!table_.contains(lengthAt, 1)) return table_.outOfRange(lengthAt, 1);
    const uint8_t length = table_.bytes()[static_cast<size_t>(lengthAt)];
    if (!table_.contains(text, length)) return table_.outOfRange(text, length);
    const std::span<const uint8_t> bytes = table_.bytes().subspan(static_cast<size_t>(text), length);
    if (isAscii(bytes)) return pool_.add({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    return pool_.add(decodeText(bytes, codePage_));
}

}  // namespace vantrel
