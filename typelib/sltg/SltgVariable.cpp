#include "typelib/sltg/SltgVariable.h"

#include <string>

#include "typelib/model/Automation.h"
#include "typelib/model/TypeDescLookup.h"

namespace vantrel {
namespace {

constexpr int64_t kVarRecordSize = 18;
constexpr uint8_t kHasFlagsBit = 0x20;
constexpr uint8_t kVarMagic = 0x0A;
constexpr uint8_t kInlineType = 0x02;
constexpr uint8_t kValueInline = 0x08;
constexpr uint8_t kConstant = 0x10;
constexpr uint8_t kDispatch = 0x40;
constexpr uint8_t kReadOnly = 0x80;

// The file keeps no variant type for a value: an integer is a VT_INT, as the platform
// reads it, whatever type the constant is declared with.
Variant integer(int64_t value) {
    Variant v;
    v.vt = vt::Int;
    v.value = value;
    return v;
}

// A constant's value: the record's own word, or at its member-area offset a 32-bit
// integer or a counted string.
Expected<Variant> constantValue(SltgMemberContext& context, uint16_t vt, uint8_t flags, uint16_t field) {
    if (flags & kValueInline) return integer(static_cast<int16_t>(field));
    const ByteReader& members = context.scope.members;
    if (vt == vt::Bstr || vt == vt::LpStr || vt == vt::LpWStr) {
        const uint16_t length = VANTREL_TRY(members.u16(field));
        const std::span<const uint8_t> bytes = VANTREL_TRY(members.span(int64_t{field} + 2, length));
        Variant v;
        v.vt = vt;
        v.value = VANTREL_TRY(context.helpStrings.constant(bytes));
        return v;
    }
    return integer(VANTREL_TRY(members.i32(field)));
}

Expected<void> readVariable(SltgMemberContext& context, const ByteReader& record, VarDesc& v) {
    const uint8_t magic = record.bytes()[0];
    if ((magic & ~kHasFlagsBit) != kVarMagic) return damaged("a variable record has the unknown signature " + hex(magic));
    const uint8_t flags = record.bytes()[1];
    v.name = VANTREL_TRY(context.names.pooledName(record.u16Unchecked(4)));
    const uint16_t field = record.u16Unchecked(6);
    v.type = VANTREL_TRY(context.typeDescs.inlineOrAt(context.scope, record.u16Unchecked(8), (flags & kInlineType) != 0));
    v.memberId = record.i32Unchecked(10);
    const uint16_t helpContext = record.u16Unchecked(14);
    v.helpContext = helpContext == 0xFFFE ? 0 : helpContext;
    v.docString = VANTREL_TRY(sltgHelpString(context, record.u16Unchecked(16)));
    if (magic & kHasFlagsBit) v.flags = VANTREL_TRY(record.u16(18));
    if (flags & kReadOnly) v.flags |= varflag::ReadOnly;
    if (flags & kConstant) {
        v.varKind = VarKind::Const;
        const TypeDesc* desc = typeDescAt(context.descs, v.type);
        v.constantValue = VANTREL_TRY(constantValue(context, desc ? desc->vt : vt::I4, flags, field));
    } else if (flags & kDispatch) {
        v.varKind = VarKind::Dispatch;
    } else {
        v.varKind = VarKind::PerInstance;
        v.instanceOffset = field;
    }
    return {};
}

}  // namespace

Expected<void> readSltgVariables(SltgMemberContext& context, const SltgTypeInfoBlock& block, TypeMembers& type) {
    type.vars.reserve(block.varCount);
    return walkSltgChain(context.scope.members, block.firstVar, block.varCount, kVarRecordSize, "variable",
                         [&](const ByteReader& record, uint16_t k) -> Expected<void> {
        Expected<void> read = readVariable(context, record, type.vars.emplace_back());
        if (!read) return damaged("variable " + std::to_string(k) + ": " + read.error().description);
        return {};
    });
}

}  // namespace vantrel
