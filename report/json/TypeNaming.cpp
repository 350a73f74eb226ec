#include "report/json/TypeNaming.h"

#include <array>

#include "typelib/imports/ResolveType.h"

namespace vantrel::json {

std::string BuiltinTypeName(uint16_t code) {
    struct Name {
        uint16_t vt;
        std::string_view text;
    };
    static constexpr std::array<Name, 35> Names{{
        {vt::Empty, "EMPTY"}, {vt::Null, "NULL"}, {vt::I2, "short"}, {vt::I4, "long"},
        {vt::R4, "float"}, {vt::R8, "double"}, {vt::Cy, "CURRENCY"}, {vt::Date, "DATE"},
        {vt::Bstr, "BSTR"}, {vt::Dispatch, "IDispatch*"}, {vt::Error, "SCODE"},
        {vt::Bool, "VARIANT_BOOL"}, {vt::Variant, "VARIANT"}, {vt::Unknown, "IUnknown*"},
        {vt::Decimal, "DECIMAL"}, {vt::I1, "char"}, {vt::UI1, "unsigned char"},
        {vt::UI2, "unsigned short"}, {vt::UI4, "unsigned long"}, {vt::I8, "hyper"},
        {vt::UI8, "unsigned hyper"}, {vt::Int, "int"}, {vt::UInt, "unsigned int"},
        {vt::Void, "void"}, {vt::HResult, "HRESULT"}, {vt::LpStr, "LPSTR"},
        {vt::LpWStr, "LPWSTR"}, {vt::Record, "RECORD"}, {vt::IntPtr, "INT_PTR"},
        {vt::UIntPtr, "UINT_PTR"}, {vt::FileTime, "FILETIME"}, {vt::Blob, "BLOB"},
        {vt::ClsId, "CLSID"}, {vt::Stream, "STREAM"}, {vt::Storage, "STORAGE"},
    }};
    for (const Name& name : Names)
        if (name.vt == code) return std::string(name.text);
    return "vt " + std::to_string(code);
}

TypeNaming::TypeNaming(std::shared_ptr<const LoadedLibrary> library)
    : library_(std::move(library)),
      local_(library_->info.types.size()),
      imported_(library_->info.importedTypes.size()) {
    invalid_.error = makeError(errc::InvalidDataRead, "The reference names no type");
}

const NamedType& TypeNaming::named(const TypeHandle& handle) {
    std::vector<std::optional<NamedType>>* cache = nullptr;
    if (handle.kind == TypeHandle::Kind::Local) cache = &local_;
    if (handle.kind == TypeHandle::Kind::Imported) cache = &imported_;
    if (!cache || handle.index < 0 || static_cast<size_t>(handle.index) >= cache->size())
        return invalid_;
    std::optional<NamedType>& slot = (*cache)[static_cast<size_t>(handle.index)];
    if (slot) return *slot;
    NamedType named;
    const Expected<TypeEntry> entry = resolveTypeHandle(library_, handle);
    if (entry) {
        named.name = entry->Name();
        named.library = entry->library()->info.name;
        named.libid = entry->library()->info.libid;
    } else {
        named.error = entry.error();
    }
    return slot.emplace(std::move(named));
}

std::string TypeNaming::nameOf(const TypeHandle& handle) {
    const NamedType& type = named(handle);
    if (type.error) return "?";
    if (type.libid == library_->info.libid) return type.name;
    return type.library + "." + type.name;
}

std::string TypeNaming::text(TypeDescId id, int depth) {
    const GrowingTable<TypeDesc>& descs = library_->info.typeDescs;
    if (id >= descs.size() || depth > MaxTypeDescDepth) return "?";
    const TypeDesc& desc = descs[id];
    switch (desc.vt) {
    case vt::Ptr: return text(desc.element, depth + 1) + "*";
    case vt::SafeArray: return "SAFEARRAY(" + text(desc.element, depth + 1) + ")";
    case vt::CArray: {
        std::string out = text(desc.element, depth + 1);
        for (const ArrayBound& bound : desc.bounds) {
            // Appended piece by piece: "[" + std::to_string(...) trips GCC 12's -Wrestrict
            // at -O3.
            out += '[';
            out += std::to_string(bound.elements);
            if (bound.lowerBound != 0) {
                out += '@';
                out += std::to_string(bound.lowerBound);
            }
            out += ']';
        }
        return out;
    }
    case vt::UserDefined: return nameOf(desc.type);
    default: return BuiltinTypeName(desc.vt);
    }
}

}  // namespace vantrel::json
