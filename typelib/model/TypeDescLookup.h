// Checked look-ups of a library's type descriptions, shared by the member view and the
// type references. An id out of range gives null, never a read past the table.
#pragma once

#include "typelib/model/TypeInfo.h"

namespace vantrel {

inline const TypeDesc* typeDescAt(const GrowingTable<TypeDesc>& descs, TypeDescId id) {
    return id < descs.size() ? &descs[id] : nullptr;
}

inline const TypeDesc* typeDescAt(const LibraryInfo& info, TypeDescId id) { return typeDescAt(info.typeDescs, id); }

inline bool isHResult(const LibraryInfo& info, TypeDescId id) {
    const TypeDesc* desc = typeDescAt(info, id);
    return desc && desc->vt == vt::HResult;
}

// The type a retval parameter points to: one pointer level less (the type itself when
// it is no pointer).
inline TypeDescId pointee(const LibraryInfo& info, TypeDescId id) {
    const TypeDesc* desc = typeDescAt(info, id);
    return desc && desc->vt == vt::Ptr ? desc->element : id;
}

// The Automation code of a type description: see TypeRef::VarType.
int32_t automationVarType(const LibraryInfo& info, TypeDescId id);

// Stores the Automation code of every description from `first` on in it.
void storeAutomationVarTypes(GrowingTable<TypeDesc>& descs, size_t first = 0);

}  // namespace vantrel
