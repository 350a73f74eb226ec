#include "typelib/MsftNameTable.h"

#include "typelib/CodePage.h"

namespace vantrel {

Expected<std::string> MsftNameTable::name(int32_t offset) {
    if (offset == -1) return std::string();
    // The low byte of the entry's third word is the length; the text follows the
    // 12-byte header.
    const int64_t lengthAt = int64_t{offset} + 8;
    const int64_t text = int64_t{offset} + 12;
    if (!table_.contains(lengthAt, 1)) return table_.outOfRange(lengthAt, 1);
    const uint8_t length = table_.bytes()[static_cast<size_t>(lengthAt)];
    if (!table_.contains(text, length)) return table_.outOfRange(text, length);
    return decodeText(table_.bytes().subspan(static_cast<size_t>(text), length), codePage_);
}

}  // namespace vantrel
