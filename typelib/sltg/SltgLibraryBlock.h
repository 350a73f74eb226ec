// The SLTG library block: the library's attributes, one record per type in type order
// (its name, GUID, kind, help context and the name of the block that holds it), and
// where the name table lies.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

struct SltgTypeRecord {
    std::string_view blockName;
    uint16_t name = 0xFFFF;  // name offset
    Guid guid;
    uint16_t kind = 0;
    uint32_t helpContext = 0;
    std::optional<std::span<const uint8_t>> docString;  // compressed
};

struct SltgLibraryBlock {
    uint16_t name = 0xFFFF;  // name offset
    std::optional<std::span<const uint8_t>> docString;
    std::optional<std::span<const uint8_t>> helpFile;
    uint32_t helpContext = 0;
    uint16_t sysKind = 0;
    uint16_t lcid = 0;
    uint16_t flags = 0;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    Guid libid;
    std::vector<SltgTypeRecord> types;
    ByteReader nameTable;
    // The dictionary of the compressed help strings, and its bound on their length.
    ByteReader helpDictionary;
    uint16_t helpMaxLength = 0;
};

Expected<SltgLibraryBlock> readSltgLibraryBlock(const ByteReader& block);

}  // namespace vantrel
