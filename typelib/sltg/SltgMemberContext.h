// What the member records of one SLTG type are read with: the library's names and type
// descriptions, and the type's own member area and references.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"
#include "typelib/sltg/SltgHelpStrings.h"
#include "typelib/sltg/SltgNameTable.h"
#include "typelib/sltg/SltgTypeWords.h"

namespace vantrel {

struct SltgMemberContext {
    const GrowingTable<TypeDesc>& descs;
    SltgNameTable& names;
    SltgHelpStrings& helpStrings;
    SltgTypeDescs& typeDescs;
    SltgTypeScope scope;
};

// The records of one chain: `count` of them from `first`, each at least `minSize` bytes
// of the member area, linked by the u16 at +2. Calls read(record, index) for each.
// The help string whose bits start at a member-area offset; 0xFFFF is none.
inline Expected<std::string_view> sltgHelpString(SltgMemberContext& context, uint16_t offset) {
    if (offset == 0xFFFF) return std::string_view();
    const ByteReader& members = context.scope.members;
    if (!members.contains(offset, 1)) return members.outOfRange(offset, 1);
    return context.helpStrings.text(members.bytes().subspan(offset));
}

template <class Read>
Expected<void> walkSltgChain(const ByteReader& members, uint16_t first, uint16_t count, int64_t minSize,
                             std::string_view what, Read read) {
    if (int64_t{count} * minSize > static_cast<int64_t>(members.size())) {
        return damaged("it claims " + std::to_string(count) + " " + std::string(what) + " records, more than its member area holds");
    }
    uint16_t at = first;
    for (uint16_t k = 0; k < count; ++k) {
        if (at == 0xFFFF || !members.contains(at, minSize)) {
            return damaged("its " + std::string(what) + " chain ends after " + std::to_string(k) + " of " +
                           std::to_string(count) + " records");
        }
        const ByteReader record(members.bytes().subspan(at), what);
        VANTREL_CHECK(read(record, k));
        at = record.u16Unchecked(2);
    }
    return {};
}

}  // namespace vantrel
