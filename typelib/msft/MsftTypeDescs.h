// MSFT type descriptions: the 32-bit DataType of return, parameter, variable and alias
// types, either an inline simple VT or an offset into the type-description table, whose
// entries chain to element types and array descriptors. Every distinct description is
// decoded once into LibraryInfo::typeDescs.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "typelib/file/ByteReader.h"
#include "typelib/file/SeededHash.h"
#include "typelib/msft/MsftHrefType.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

class MsftTypeDescs {
public:
    MsftTypeDescs(ByteReader table, ByteReader arrays, MsftHrefTypes& hrefTypes,
                  const GrowingTable<TypeDesc>& descs)
        : table_(table), arrays_(arrays), hrefTypes_(hrefTypes), descs_(descs) {}

    // A description decoded before is found here, inline: every function asks for several.
    Expected<TypeDescId> typeOf(int32_t dataType) {
        if (const TypeDescId known = decodedBefore(dataType); known != NotDecoded) return known;
        return decode(dataType, 0);
    }

private:
    static constexpr TypeDescId NotDecoded = ~TypeDescId{0};
    static constexpr uint32_t InlineBit = 0x80000000u;
    static constexpr uint32_t EntrySize = 8;

    TypeDescId decodedBefore(int32_t dataType) const {
        const auto word = static_cast<uint32_t>(dataType);
        if (word & InlineBit) {
            const size_t vt = word & vt::TypeMask;
            return vt < simpleIds_.size() ? simpleIds_[vt] : NotDecoded;
        }
        if (word % EntrySize != 0 || word / EntrySize >= alignedEntryIds_.size()) return NotDecoded;
        return alignedEntryIds_[word / EntrySize];
    }

    Expected<TypeDescId> decode(int32_t dataType, int depth);
    Expected<TypeDescId> decodeEntry(int32_t offset, int depth);
    Expected<TypeDesc> decodeArray(int32_t offset, int depth);
    TypeDescId simple(uint16_t vt);
    TypeDescId add(TypeDesc desc);

    ByteReader table_;
    ByteReader arrays_;
    MsftHrefTypes& hrefTypes_;
    GrowingTable<TypeDesc> descs_;  // the library's, shared
    // Decoded ids by VT, and by table offset: every function asks for several, so the
    // look-ups are plain indexing. Entries sit on 8-byte boundaries; a damaged file's
    // odd offset goes to the map.
    std::vector<TypeDescId> simpleIds_;
    std::vector<TypeDescId> alignedEntryIds_;
    std::unordered_map<int32_t, TypeDescId, SeededHash> oddEntryIds_;
    TypeDescId* entrySlot(int32_t offset);
    std::unordered_set<int32_t, SeededHash> inProgress_;
    // Array bounds left to copy, counted in bounds (8 bytes each): many descriptions
    // naming one large array descriptor must not multiply its size.
    size_t boundBudget_ = arrays_.size() / 8;
};

}  // namespace vantrel
