#include "typelib/sltg/SltgTypeWords.h"

#include <string>

#include "typelib/file/Limits.h"
#include "typelib/model/Automation.h"

namespace vantrel {
namespace {

constexpr uint16_t kVtBits = 0x3F;
constexpr uint16_t kPointerWrap = 0x0E00;
constexpr uint16_t kDirectionBits = 0xC000;
constexpr uint16_t kRetValBit = 0x0080;
constexpr uint16_t kLcidBit = 0x2000;
// The bounds record of an array: i16 dimensions, u16, three u32, then the bounds.
constexpr int64_t kArrayHeaderSize = 16;
constexpr int64_t kBoundSize = 8;

}  // namespace

uint16_t sltgParamFlags(uint16_t firstWord) {
    uint16_t flags = 0;
    switch (firstWord & kDirectionBits) {
        case 0x0000: flags = paramflag::In; break;
        case 0x4000: flags = paramflag::Out; break;
        case 0x8000: flags = paramflag::In | paramflag::Out; break;
        default: break;
    }
    if (firstWord & kRetValBit) flags |= paramflag::RetVal;
    if (firstWord & kLcidBit) flags |= paramflag::Lcid;
    return flags;
}

TypeDescId SltgTypeDescs::shared(uint16_t vt, TypeDescId element, TypeHandle type) {
    const auto [found, added] =
        ids_.try_emplace({vt, element, type.kind, type.index}, static_cast<TypeDescId>(descs_.size()));
    if (added) {
        TypeDesc& desc = descs_.emplace_back();
        desc.vt = vt;
        desc.element = element;
        desc.type = type;
    }
    return found->second;
}

Expected<TypeHandle> SltgTypeDescs::referenced(const SltgTypeScope& scope, uint16_t reference) const {
    if (reference % 4 != 0 || reference / 4u >= scope.references.size()) {
        return damaged("a type names reference " + hex(reference) + ", which its reference table does not hold");
    }
    return scope.references[reference / 4u];
}

Expected<TypeDescId> SltgTypeDescs::inlineOrAt(const SltgTypeScope& scope, uint16_t word, bool isInline) {
    int64_t at = isInline ? 0 : word;
    if (!isInline) return decodeWords(scope, scope.members, at, 0);
    const uint8_t bytes[2] = {static_cast<uint8_t>(word & 0xFF), static_cast<uint8_t>(word >> 8)};
    return decodeWords(scope, ByteReader(bytes, "an inline type word"), at, 0);
}

Expected<TypeDescId> SltgTypeDescs::decodeWords(const SltgTypeScope& scope, const ByteReader& words, int64_t& at,
                                                int depth) {
    if (depth > kMaxTypeDescNesting) {
        return damaged("a type description nests deeper than " + std::to_string(kMaxTypeDescNesting) + " levels");
    }
    const uint16_t word = VANTREL_TRY(words.u16(at));
    at += 2;
    const TypeDescId base = VANTREL_TRY(decodeBase(scope, word, words, at, depth));
    return (word & kPointerWrap) == kPointerWrap ? shared(vt::Ptr, base) : base;
}

Expected<TypeDescId> SltgTypeDescs::decodeBase(const SltgTypeScope& scope, uint16_t word, const ByteReader& words,
                                               int64_t& at, int depth) {
    const auto vt = static_cast<uint16_t>(word & kVtBits);
    switch (vt) {
        case vt::Ptr:
            return shared(vt::Ptr, VANTREL_TRY(decodeWords(scope, words, at, depth + 1)));
        case vt::SafeArray:
            VANTREL_CHECK(words.u16(at));
            at += 2;
            return shared(vt::SafeArray, VANTREL_TRY(decodeWords(scope, words, at, depth + 1)));
        case vt::CArray:
            return decodeArray(scope, words, at, depth);
        case vt::UserDefined: {
            const uint16_t reference = VANTREL_TRY(words.u16(at));
            at += 2;
            return shared(vt::UserDefined, 0, VANTREL_TRY(referenced(scope, reference)));
        }
        default:
            return shared(vt);
    }
}

Expected<TypeDescId> SltgTypeDescs::decodeArray(const SltgTypeScope& scope, const ByteReader& words, int64_t& at,
                                                int depth) {
    const uint16_t boundsAt = VANTREL_TRY(words.u16(at));
    at += 2;
    const int16_t dimensions = VANTREL_TRY(scope.members.i16(boundsAt));
    if (dimensions < 0 || !scope.members.contains(int64_t{boundsAt} + kArrayHeaderSize, dimensions * kBoundSize)) {
        return damaged("an array type with " + std::to_string(dimensions) + " dimensions runs past the end of its member area");
    }
    const TypeDescId element = VANTREL_TRY(decodeWords(scope, words, at, depth + 1));
    // A type's members may be decoded again: the same array is then the same description.
    const uint8_t* bounds = scope.members.bytes().data() + boundsAt;
    if (const auto found = arrays_.find({bounds, element}); found != arrays_.end()) return found->second;
    if (static_cast<size_t>(dimensions) > boundBudget_) return damaged("array types share their bounds more often than the file allows");
    boundBudget_ -= static_cast<size_t>(dimensions);
    TypeDesc desc;
    desc.vt = vt::CArray;
    desc.element = element;
    desc.bounds.reserve(static_cast<size_t>(dimensions));
    for (int64_t i = 0; i < dimensions; ++i) {
        const auto bound = static_cast<size_t>(boundsAt + kArrayHeaderSize + i * kBoundSize);
        desc.bounds.push_back(ArrayBound{scope.members.u32Unchecked(bound), scope.members.i32Unchecked(bound + 4)});
    }
    descs_.push_back(std::move(desc));
    arrays_.emplace(std::pair{bounds, element}, static_cast<TypeDescId>(descs_.size() - 1));
    return static_cast<TypeDescId>(descs_.size() - 1);
}

}  // namespace vantrel
