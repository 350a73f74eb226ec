#include "typelib/msft/MsftStringTable.h"

namespace vantrel {

Expected<std::string_view> MsftStringTable::text(int32_t offset) {
    if (offset == -1) return std::string_view();
    if (const std::string_view* known = texts_.find(offset)) return *known;
    const uint16_t length = VANTREL_TRY(table_.u16(offset));
    const auto bytes = VANTREL_TRY(table_.span(int64_t{offset} + 2, length));
    return texts_.decodeAt(offset, bytes, size_t{2} + length);
}

}  // namespace vantrel
