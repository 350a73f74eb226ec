// Type references: the Automation code of a type description, a sample value of it, and
// the defined type it names.
#include "typelib/file/Limits.h"
#include "typelib/imports/ResolveType.h"
#include "typelib/model/TypeDescLookup.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

namespace {

// The Automation code of one type description. A pointer adds VT_BYREF to a built-in
// element once; further pointer levels add nothing (a BSTR** is still a by-ref string).
// A pointer to a defined type stays 0, so that the type is named by ReferencedType; an
// array keeps its array bit whatever its element.
int32_t varTypeOf(const GrowingTable<TypeDesc>& descs, TypeDescId id, int depth) {
    const TypeDesc* desc = typeDescAt(descs, id);
    if (!desc || depth > kMaxTypeDescNesting) return vt::Empty;
    if (desc->varType != TypeDesc::UnknownVarType) return desc->varType;
    switch (desc->vt) {
        case vt::UserDefined: return 0;
        case vt::Ptr: {
            const TypeDesc* element = typeDescAt(descs, desc->element);
            if (element && element->vt == vt::Void) return vt::Ptr;
            const int32_t pointee = varTypeOf(descs, desc->element, depth + 1);
            return (pointee & vt::TypeMask) != 0 ? pointee | vt::ByRef : pointee;
        }
        case vt::SafeArray: return varTypeOf(descs, desc->element, depth + 1) | vt::Array;
        case vt::CArray: return varTypeOf(descs, desc->element, depth + 1) | vt::Vector;
        default: return desc->vt;
    }
}

// Follows pointers and arrays down to the named type.
const TypeDesc* definedTypeOf(const LibraryInfo& info, TypeDescId id) {
    for (int depth = 0; depth <= kMaxTypeDescNesting; ++depth) {
        const TypeDesc* desc = typeDescAt(info, id);
        if (!desc) return nullptr;
        if (desc->vt == vt::UserDefined) return desc;
        if (desc->vt != vt::Ptr && desc->vt != vt::SafeArray && desc->vt != vt::CArray)
            return nullptr;
        id = desc->element;
    }
    return nullptr;
}

}  // namespace

int32_t automationVarType(const LibraryInfo& info, TypeDescId id) { return varTypeOf(info.typeDescs, id, 0); }

// In order: a description's element comes before it, so each code is a look-up or two.
void storeAutomationVarTypes(GrowingTable<TypeDesc>& descs, size_t first) {
    for (size_t id = first; id < descs.size(); ++id) descs[id].varType = varTypeOf(descs, static_cast<TypeDescId>(id), 0);
}

TypeRef TypeRef::Void() { return TypeRef(); }

const TypeDesc* TypeRef::desc() const {
    if (isVoid_ || !library_) return nullptr;
    return typeDescAt(library_->info, type_);
}

SampleValue TypeRef::TypedValue() const { return sampleValueOf(VarType()); }

int32_t TypeRef::LocalTypeIndex() const {
    if (isVoid_ || !library_) return -1;
    const TypeDesc* defined = definedTypeOf(library_->info, type_);
    if (!defined || defined->type.kind != TypeHandle::Kind::Local) return -1;
    const int32_t index = defined->type.index;
    return index >= 0 && static_cast<size_t>(index) < library_->info.types.size() ? index : -1;
}

Expected<TypeEntry> TypeRef::ReferencedType() const {
    if (isVoid_ || !library_)
        return makeError(errc::ElementNotFound, "A function that returns nothing names no type");
    if (!typeDescAt(library_->info, type_))
        return damagedLibrary(*library_, "a type description " + std::to_string(type_) +
                                             " does not exist");
    const TypeDesc* defined = definedTypeOf(library_->info, type_);
    if (!defined)
        return makeError(errc::ElementNotFound,
                         "The type reference names a built-in type, not a defined one");
    return resolveTypeHandle(library_, defined->type);
}

}  // namespace vantrel
