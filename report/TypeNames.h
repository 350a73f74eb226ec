// A type reference's display name (GetVarTypeName) and the pieces it is made of, which
// a page writes where they go.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

// The name of the type that a reference can't reach; it always stands alone.
inline constexpr std::string_view UnreachableTypeName = "<Unregistered External Type>";

// The name Basic's TypeName gives a sample value of this kind (an Automation code
// without flag bits); "Unknown" for a code it has no name for.
std::string_view KindName(uint16_t kind);

// VarType comes as 32 bits and is worked on as 16: error 6 "Overflow" outside
// -32768..32767; otherwise the 16 bits. Inline: every type name of a page or a walk
// passes here, and a result the compiler sees through costs nothing to hand back.
inline Expected<uint16_t> NarrowVarType(int32_t varType) {
    if (static_cast<int16_t>(varType) != varType) return makeError(errc::Overflow, "Overflow");
    return static_cast<uint16_t>(varType);
}

// "Array of " (0x2000), else "Fixed size array of " (0x1000), else nothing.
inline std::string_view ArrayPrefix(uint16_t varType) {
    if (varType & vt::Array) return "Array of ";
    if (varType & vt::Vector) return "Fixed size array of ";
    return {};
}

// The element code: the array bits cleared, the by-ref and top bits kept.
inline uint16_t ElementCode(uint16_t varType) {
    return varType & static_cast<uint16_t>(~(vt::Array | vt::Vector));
}

// A type reference's display name as `prefix` followed by `name`, for a page that writes
// it where it goes rather than into a string of its own. `name` lies in the reference's
// own library, or in the library that `referenced` holds.
struct VarTypeNameParts {
    std::string_view prefix;
    std::string_view name;
    std::optional<TypeEntry> referenced;
    // The kind whose name `name` is (KindName), or NotAKind for a defined type's name or
    // the placeholder: a kind name needs no escaping.
    int32_t kind = NotAKind;
    static constexpr int32_t NotAKind = -1;

    bool is(std::string_view whole) const;  // ignoring case
};
// Filled where the caller keeps it: every parameter of every page and walk comes here, and
// a result handed back piece by piece costs more than the look-ups that make it.
Expected<void> FillVarTypeNameParts(const TypeRef& type, VarTypeNameParts& parts);

// GetVarTypeName (below) of a reference that is not to a built-in type, or is to an
// array of one.
Expected<std::string> VarTypeNameFromParts(const TypeRef& type);

// The display name of a type reference: a built-in type by its kind, a defined type by
// its name, "<Unregistered External Type>" when it can't be reached. Inline: most
// references name a built-in type that is no array, by its kind name alone, and a walk
// names tens of thousands.
inline Expected<std::string> GetVarTypeName(const TypeRef& type) {
    if (const Expected<uint16_t> varType = NarrowVarType(type.VarType());
        varType && ArrayPrefix(*varType).empty() && ElementCode(*varType) != 0)
        return Expected<std::string>(std::in_place, KindName(sampleValueOf(*varType).kind));
    return VarTypeNameFromParts(type);
}

}  // namespace vantrel
