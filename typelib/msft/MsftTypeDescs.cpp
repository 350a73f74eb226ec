#include "typelib/msft/MsftTypeDescs.h"
#include "typelib/file/Messages.h"

#include <string>

#include "typelib/file/Limits.h"
#include "typelib/model/TypeDescLookup.h"

namespace vantrel {
namespace {

constexpr int64_t kArrayHeaderSize = 8;
constexpr int64_t kBoundSize = 8;

}  // namespace

// Its Automation code is stored with it: the descriptions it names come before it.
TypeDescId MsftTypeDescs::add(TypeDesc desc) {
    descs_.push_back(std::move(desc));
    const size_t id = descs_.size() - 1;
    storeAutomationVarTypes(descs_, id);
    return static_cast<TypeDescId>(id);
}

TypeDescId MsftTypeDescs::simple(uint16_t vt) {
    if (simpleIds_.empty()) simpleIds_.assign(size_t{vt::TypeMask} + 1, NotDecoded);
    TypeDescId& slot = simpleIds_[vt & vt::TypeMask];
    if (slot == NotDecoded) {
        TypeDesc desc;
        desc.vt = vt;
        slot = add(std::move(desc));
    }
    return slot;
}

// Null for an offset outside the table, which is never decoded.
TypeDescId* MsftTypeDescs::entrySlot(int32_t offset) {
    constexpr int64_t entrySize = EntrySize;
    if (!table_.contains(offset, entrySize)) return nullptr;
    if (offset % entrySize != 0) return &oddEntryIds_.try_emplace(offset, NotDecoded).first->second;
    if (alignedEntryIds_.empty()) alignedEntryIds_.assign(table_.size() / EntrySize, NotDecoded);
    return &alignedEntryIds_[static_cast<size_t>(offset / entrySize)];
}

Expected<TypeDescId> MsftTypeDescs::decode(int32_t dataType, int depth) {
    if (static_cast<uint32_t>(dataType) & InlineBit) {
        return simple(static_cast<uint16_t>(dataType & vt::TypeMask));
    }
    return decodeEntry(dataType, depth);
}

Expected<TypeDescId> MsftTypeDescs::decodeEntry(int32_t offset, int depth) {
    TypeDescId* const slot = entrySlot(offset);
    if (slot && *slot != NotDecoded) return *slot;
    // depth counts the levels above this one: the outermost description is level 1.
    if (depth >= kMaxTypeDescNesting) return damaged("a type description nests deeper than " + std::to_string(kMaxTypeDescNesting) + " levels");
    if (!slot) {
        return damaged(pointsOutside("a type description", offset, "the type-description table", table_.size()));
    }
    if (!inProgress_.insert(offset).second) return damaged("a type description refers to itself");
    const size_t at = static_cast<size_t>(offset);
    const auto vtWord = static_cast<uint16_t>(table_.u16Unchecked(at) & vt::TypeMask);
    const int32_t field = table_.i32Unchecked(at + 4);
    Expected<TypeDesc> desc = TypeDesc{};
    desc->vt = vtWord;
    switch (vtWord) {
        case vt::Ptr:
        case vt::SafeArray: {
            Expected<TypeDescId> element = decode(field, depth + 1);
            if (!element) desc = element.error(); else desc->element = *element;
            break;
        }
        case vt::CArray:
            desc = decodeArray(field, depth);
            break;
        case vt::UserDefined: {
            Expected<TypeHandle> type = hrefTypes_.resolve(field);
            if (!type) desc = type.error(); else desc->type = *type;
            break;
        }
        default:
            break;  // a simple type stored out of line
    }
    inProgress_.erase(offset);
    if (!desc) return desc.error();
    // The slot is still good: the vector never grows and map nodes stay where they are.
    *slot = add(std::move(*desc));
    return *slot;
}

Expected<TypeDesc> MsftTypeDescs::decodeArray(int32_t offset, int depth) {
    if (!arrays_.contains(offset, kArrayHeaderSize)) {
        return damaged(pointsOutside("an array type", offset, "the array-description table", arrays_.size()));
    }
    const size_t at = static_cast<size_t>(offset);
    const int32_t elementType = arrays_.i32Unchecked(at);
    const uint16_t dimensions = arrays_.u16Unchecked(at + 4);
    if (!arrays_.contains(int64_t{offset} + kArrayHeaderSize, int64_t{dimensions} * kBoundSize)) {
        return damaged("an array type with " + std::to_string(dimensions) +
                       " dimensions runs past the end of the array-description table");
    }
    if (dimensions > boundBudget_) return damaged("its array types share their bounds, so that they would be read more than once");
    boundBudget_ -= dimensions;
    TypeDesc desc;
    desc.vt = vt::CArray;
    desc.element = VANTREL_TRY(decode(elementType, depth + 1));
    desc.bounds.reserve(dimensions);
    for (size_t i = 0; i < dimensions; ++i) {
        const size_t bound = at + static_cast<size_t>(kArrayHeaderSize) + i * kBoundSize;
        desc.bounds.push_back(ArrayBound{arrays_.u32Unchecked(bound), arrays_.i32Unchecked(bound + 4)});
    }
    return desc;
}

}  // namespace vantrel
