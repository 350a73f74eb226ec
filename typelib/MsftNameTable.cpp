#include "typelib/MsftNameTable.h"

#include "typelib/CodePage.h"

namespace vantrel {

Expected<std::string> MsftNameTable::name(int32_t offset) {
    if (offset == -1) return std::string();
    const uint8_t length = VANTREL_TRY(table_.u8(int64_t{offset} + 8));
    const auto bytes = VANTREL_TRY(table_.span(int64_t{offset} + 12, length));
    return decodeText(bytes, codePage_);
}

}  // namespace vantrel
