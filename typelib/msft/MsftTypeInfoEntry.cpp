#include "typelib/msft/MsftTypeInfoEntry.h"

#include <string>

namespace vantrel {

Expected<MsftTypeInfoEntry> readMsftTypeInfoEntry(const ByteReader& table, int32_t index) {
    const int64_t offset = int64_t{index} * kMsftTypeInfoEntrySize;
    if (!table.contains(offset, kMsftTypeInfoEntrySize)) {
        return damaged("type " + std::to_string(index) + " points past the end of the typeinfo table");
    }
    const auto at = static_cast<size_t>(offset);
    MsftTypeInfoEntry e;
    e.kindWord = table.u32Unchecked(at);
    e.memberBlock = table.i32Unchecked(at + 0x04);
    const uint32_t elements = table.u32Unchecked(at + 0x18);
    e.funcCount = static_cast<uint16_t>(elements & 0xFFFF);
    e.varCount = static_cast<uint16_t>(elements >> 16);
    e.guid = table.i32Unchecked(at + 0x2C);
    e.flags = static_cast<uint16_t>(table.u32Unchecked(at + 0x30) & 0xFFFF);
    e.name = table.i32Unchecked(at + 0x34);
    const uint32_t version = table.u32Unchecked(at + 0x38);
    e.majorVersion = static_cast<uint16_t>(version & 0xFFFF);
    e.minorVersion = static_cast<uint16_t>(version >> 16);
    e.docString = table.i32Unchecked(at + 0x3C);
    e.helpContext = table.i32Unchecked(at + 0x44);
    e.implTypeCount = static_cast<int16_t>(table.u16Unchecked(at + 0x4C));
    e.sizeVtable = static_cast<int16_t>(table.u16Unchecked(at + 0x4E));
    e.sizeInstance = table.i32Unchecked(at + 0x50);
    e.dataType1 = table.i32Unchecked(at + 0x54);
    e.dataType2 = table.i32Unchecked(at + 0x58);
    if (e.kind() > 7) {
        return damaged("type " + std::to_string(index) + " has the unknown type kind " + std::to_string(e.kind()));
    }
    return e;
}

}  // namespace vantrel
