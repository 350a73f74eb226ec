#include "typelib/msft/MsftStringTable.h"

#include "typelib/text/CodePage.h"

namespace vantrel {

Expected<std::string> MsftStringTable::text(int32_t offset) const {
    if (offset == -1) return std::string();
    const uint16_t length = VANTREL_TRY(table_.u16(offset));
    const auto bytes = VANTREL_TRY(table_.span(int64_t{offset} + 2, length));
    return decodeText(bytes, codePage_);
}

}  // namespace vantrel
