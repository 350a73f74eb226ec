// Names of the types that a library refers to, as the JSON document and the comparison
// of two builds show them: a referenced type with the library that defines it, and a
// type description as short IDL-like text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/TypeLibrary.h"

namespace vantrel::json {

struct NamedType {
    std::string name;     // empty when it can't be reached
    std::string library;  // the name of the library that defines it
    Guid libid;
    std::optional<Error> error;  // why it can't be reached
};

// Short names of the built-in types ("long", "BSTR", "VARIANT"); "vt N" for others.
std::string BuiltinTypeName(uint16_t vt);

// Type descriptions deeper than this are taken as damaged.
inline constexpr int MaxTypeDescDepth = 64;

class TypeNaming {
public:
    explicit TypeNaming(std::shared_ptr<const LoadedLibrary> library);

    // The type a handle names, resolved once.
    const NamedType& named(const TypeHandle& handle);
    // The name of the type a handle names, as "Lib.Name" when another library defines it;
    // "?" when it can't be reached.
    std::string nameOf(const TypeHandle& handle);
    // "long", "BSTR*", "SAFEARRAY(VARIANT)", "IFoo*", "short[2][3]"; a type defined in
    // another library as "Lib.Name".
    std::string text(TypeDescId id, int depth = 0);

    const std::shared_ptr<const LoadedLibrary>& library() const { return library_; }

private:
    std::shared_ptr<const LoadedLibrary> library_;
    std::vector<std::optional<NamedType>> local_;     // by type index
    std::vector<std::optional<NamedType>> imported_;  // by LibraryInfo::importedTypes index
    NamedType invalid_;
};

}  // namespace vantrel::json
