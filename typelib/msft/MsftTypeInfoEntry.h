// One 100-byte entry of the MSFT typeinfo table: a type's kind, flags, name, GUID,
// counts, and where its member block lives.
#pragma once

#include <cstdint>

#include "typelib/file/ByteReader.h"

namespace vantrel {

inline constexpr int64_t kMsftTypeInfoEntrySize = 100;

struct MsftTypeInfoEntry {
    uint32_t kindWord = 0;  // bits 0-3 TYPEKIND, bits 11-15 alignment
    int32_t memberBlock = -1;
    uint16_t funcCount = 0;
    uint16_t varCount = 0;
    int32_t guid = -1;
    uint16_t flags = 0;
    int32_t name = -1;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    int32_t docString = -1;
    int32_t helpContext = 0;
    int16_t implTypeCount = 0;
    int16_t sizeVtable = 0;
    int32_t sizeInstance = 0;
    int32_t dataType1 = -1;
    int32_t dataType2 = 0;

    uint32_t kind() const { return kindWord & 0xF; }
    uint16_t alignment() const { return static_cast<uint16_t>((kindWord >> 11) & 0x1F); }
};

// Entry `index` of the typeinfo table; the kind is checked, the rest is raw.
Expected<MsftTypeInfoEntry> readMsftTypeInfoEntry(const ByteReader& table, int32_t index);

}  // namespace vantrel
