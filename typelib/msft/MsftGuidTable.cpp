#include "typelib/msft/MsftGuidTable.h"

namespace vantrel {

Expected<Guid> readMsftGuid(const ByteReader& table, int32_t offset) {
    if (offset == -1) return Guid{};
    const auto bytes = VANTREL_TRY(table.span(offset, 16));
    Guid guid;
    guid.data1 = table.u32Unchecked(static_cast<size_t>(offset));
    guid.data2 = table.u16Unchecked(static_cast<size_t>(offset) + 4);
    guid.data3 = table.u16Unchecked(static_cast<size_t>(offset) + 6);
    for (size_t i = 0; i < 8; ++i) guid.data4[i] = bytes[8 + i];
    return guid;
}

}  // namespace vantrel
