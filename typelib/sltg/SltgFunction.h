// SLTG function records: kind, invoke kind, name, member id, calling convention,
// parameters with their names, types and directions, the result type, the vtable offset
// and, when the signature says so, FUNCFLAGS.
#pragma once

#include "typelib/model/TypeInfo.h"
#include "typelib/sltg/SltgMemberContext.h"
#include "typelib/sltg/SltgTypeInfoBlock.h"

namespace vantrel {

// Appends the type's functions to type.funcs and their parameters to type.params.
Expected<void> readSltgFunctions(SltgMemberContext& context, const SltgTypeInfoBlock& block, TypeMembers& type);

}  // namespace vantrel
