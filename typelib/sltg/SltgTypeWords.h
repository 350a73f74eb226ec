// SLTG type words: a type is a run of u16 words, each with the VT in bits 0-5. VT_PTR and
// VT_SAFEARRAY go on with their element's words, VT_CARRAY with the member-area offset of
// its bounds and then its element, VT_USERDEFINED with 4 x the index of its reference.
// A word with bits 0x0E00 all set is wrapped in one pointer. The first word of a
// parameter's type also carries its direction. Every distinct type is decoded once into
// LibraryInfo::typeDescs.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

// What a type's words refer to: its member area and its reference table.
struct SltgTypeScope {
    ByteReader members;
    std::span<const TypeHandle> references;
};

// PARAMFLAGS from the first word of a parameter's type.
uint16_t sltgParamFlags(uint16_t firstWord);

class SltgTypeDescs {
public:
    SltgTypeDescs(GrowingTable<TypeDesc>& descs, size_t boundBudget) : descs_(descs), boundBudget_(boundBudget) {}

    // The type whose words start at `at` in `words`; `at` moves past them.
    Expected<TypeDescId> decode(const SltgTypeScope& scope, const ByteReader& words, int64_t& at) {
        return decodeWords(scope, words, at, 0);
    }
    // A type stored as one word in a record, or as the member-area offset of its words.
    Expected<TypeDescId> inlineOrAt(const SltgTypeScope& scope, uint16_t word, bool isInline);
    // The type a VT_USERDEFINED reference word names.
    Expected<TypeHandle> referenced(const SltgTypeScope& scope, uint16_t reference) const;

private:
    Expected<TypeDescId> decodeWords(const SltgTypeScope& scope, const ByteReader& words, int64_t& at, int depth);
    Expected<TypeDescId> decodeBase(const SltgTypeScope& scope, uint16_t word, const ByteReader& words, int64_t& at,
                                    int depth);
    Expected<TypeDescId> decodeArray(const SltgTypeScope& scope, const ByteReader& words, int64_t& at, int depth);
    TypeDescId shared(uint16_t vt, TypeDescId element = 0, TypeHandle type = {});

    GrowingTable<TypeDesc>& descs_;
    std::map<std::tuple<uint16_t, TypeDescId, TypeHandle::Kind, int32_t>, TypeDescId> ids_;
    // Fixed-size arrays by the place of their bounds and their element.
    std::map<std::pair<const uint8_t*, TypeDescId>, TypeDescId> arrays_;
    // Array bounds left to copy: many types naming one large bounds record must not
    // multiply its size.
    size_t boundBudget_;
};

}  // namespace vantrel
