// Display names of type references: built-in types by the kind of their sample value,
// defined types by their name, arrays with a prefix, unreachable types by a placeholder.
#include "report/TypeNames.h"

#include <limits>

#include "report/MemberReport.h"
#include "typelib/Automation.h"

namespace vantrel {

std::string_view KindName(uint16_t kind) {
    switch (kind) {
        case vt::Empty: return "Empty";
        case vt::Null: return "Null";
        case vt::I2: return "Integer";
        case vt::I4: return "Long";
        case vt::R4: return "Single";
        case vt::R8: return "Double";
        case vt::Cy: return "Currency";
        case vt::Date: return "Date";
        case vt::Bstr: return "String";
        case vt::Dispatch: return "Object";
        case vt::Error: return "Error";
        case vt::Bool: return "Boolean";
        case vt::Variant: return "Variant";
        case vt::Unknown: return "Unknown";
        case vt::Decimal: return "Decimal";
        case vt::I1: return "SByte";
        case vt::UI1: return "Byte";
        case vt::UI2: return "UInteger";
        case vt::UI4: return "ULong";
        case vt::I8: return "LongLong";
        case vt::UI8: return "ULongLong";
        case vt::Int: return "Long";
        case vt::UInt: return "ULong";
        case vt::Void: return "Empty";
        case vt::HResult: return "Long";
        case vt::Ptr: return "Any";
        case vt::LpStr: return "String";
        case vt::LpWStr: return "String";
        case vt::IntPtr: return "LongPtr";
        case vt::UIntPtr: return "LongPtr";
        default: return "Unknown";
    }
}

Expected<uint16_t> NarrowVarType(int32_t varType) {
    if (varType < std::numeric_limits<int16_t>::min() ||
        varType > std::numeric_limits<int16_t>::max())
        return makeError(errc::Overflow, "Overflow");
    return static_cast<uint16_t>(static_cast<int16_t>(varType));
}

std::string_view ArrayPrefix(uint16_t varType) {
    if (varType & vt::Array) return "Array of ";
    if (varType & vt::Vector) return "Fixed size array of ";
    return {};
}

uint16_t ElementCode(uint16_t varType) {
    return varType & static_cast<uint16_t>(~(vt::Array | vt::Vector));
}

std::string SampleTypeName(const SampleValue& value) {
    std::string name(KindName(value.kind));
    if (value.isArray) name += "()";
    return name;
}

Expected<std::string> GetVarTypeName(const TypeRef& type) {
    const uint16_t varType = VANTREL_TRY(NarrowVarType(type.VarType()));
    const std::string_view prefix = ArrayPrefix(varType);

    if (ElementCode(varType) != 0) {
        const SampleValue sample = sampleValueOf(varType);
        // An array's element is named without the "()" of the array sample's kind name.
        if (prefix.empty()) return SampleTypeName(sample);
        std::string name(prefix);
        name += KindName(sample.kind);
        return name;
    }

    // A failure to reach the defined type is answered by the placeholder, never passed on.
    const Expected<TypeEntry> referenced = type.ReferencedType();
    if (!referenced) return std::string(UnreachableTypeName);
    std::string name;
    name.reserve(prefix.size() + referenced->Name().size());
    name.append(prefix).append(referenced->Name());
    return name;
}

}  // namespace vantrel
