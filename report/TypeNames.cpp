// Display names of type references: built-in types by the kind of their sample value,
// defined types by their name, arrays with a prefix, unreachable types by a placeholder.
#include "report/TypeNames.h"

#include <array>
#include <utility>

#include "report/MemberReport.h"
#include "typelib/model/Automation.h"
#include "typelib/text/AsciiCase.h"

namespace vantrel {

namespace {

// Indexed by kind: a table rather than a switch, as every type name of a report goes
// through here and the kinds follow no pattern a branch predictor could learn.
struct KindNames {
    static constexpr size_t Count = vt::UIntPtr + 1;
    std::array<std::string_view, Count> names{};

    constexpr KindNames() {
        names.fill("Unknown");
        const std::pair<uint16_t, std::string_view> known[] = {
            {vt::Empty, "Empty"},     {vt::Null, "Null"},       {vt::I2, "Integer"},
            {vt::I4, "Long"},         {vt::R4, "Single"},       {vt::R8, "Double"},
            {vt::Cy, "Currency"},     {vt::Date, "Date"},       {vt::Bstr, "String"},
            {vt::Dispatch, "Object"}, {vt::Error, "Error"},     {vt::Bool, "Boolean"},
            {vt::Variant, "Variant"}, {vt::Unknown, "Unknown"}, {vt::Decimal, "Decimal"},
            {vt::I1, "SByte"},        {vt::UI1, "Byte"},        {vt::UI2, "UInteger"},
            {vt::UI4, "ULong"},       {vt::I8, "LongLong"},     {vt::UI8, "ULongLong"},
            {vt::Int, "Long"},        {vt::UInt, "ULong"},      {vt::Void, "Empty"},
            {vt::HResult, "Long"},    {vt::Ptr, "Any"},         {vt::LpStr, "String"},
            {vt::LpWStr, "String"},   {vt::IntPtr, "LongPtr"},  {vt::UIntPtr, "LongPtr"},
        };
        for (const auto& [kind, name] : known) names[kind] = name;
    }
};

constexpr KindNames kKindNames;

}  // namespace

std::string_view KindName(uint16_t kind) {
    return kind < KindNames::Count ? kKindNames.names[kind] : "Unknown";
}

std::string SampleTypeName(const SampleValue& value) {
    std::string name(KindName(value.kind));
    if (value.isArray) name += "()";
    return name;
}

Expected<void> FillVarTypeNameParts(const TypeRef& type, VarTypeNameParts& parts) {
    const uint16_t varType = VANTREL_TRY(NarrowVarType(type.VarType()));
    parts.prefix = ArrayPrefix(varType);
    parts.referenced.reset();
    parts.kind = VarTypeNameParts::NotAKind;
    if (ElementCode(varType) != 0) {
        // The kind name of the sample value: a type without a prefix is no array, and an
        // array's element is named without the "()" of the array sample's kind name.
        parts.kind = sampleValueOf(varType).kind;
        parts.name = KindName(static_cast<uint16_t>(parts.kind));
        return {};
    }
    if (const int32_t local = type.LocalTypeIndex(); local >= 0) {
        parts.name = type.library()->info.types[static_cast<size_t>(local)].name;
        return {};
    }
    // A failure to reach the defined type is answered by the placeholder, never passed on.
    Expected<TypeEntry> referenced = type.ReferencedType();
    if (!referenced) {
        parts.prefix = {};
        parts.name = UnreachableTypeName;
        return {};
    }
    parts.name = parts.referenced.emplace(std::move(*referenced)).Name();
    return {};
}

bool VarTypeNameParts::is(std::string_view whole) const {
    return whole.size() == prefix.size() + name.size() && equalsIgnoringCase(whole.substr(0, prefix.size()), prefix) &&
           equalsIgnoringCase(whole.substr(prefix.size()), name);
}

Expected<std::string> VarTypeNameFromParts(const TypeRef& type) {
    Expected<std::string> name(std::in_place);
    VarTypeNameParts parts;
    if (Expected<void> filled = FillVarTypeNameParts(type, parts); !filled) {
        name = filled.error();
        return name;
    }
    // Made where the result lies: one copy of each piece.
    name->reserve(parts.prefix.size() + parts.name.size());
    name->append(parts.prefix).append(parts.name);
    return name;
}

}  // namespace vantrel
