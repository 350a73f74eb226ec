// SLTG variable records: record fields, enum and module constants, and the properties of
// dispinterfaces, with their names, member ids, types, values or offsets and VARFLAGS.
#pragma once

#include "typelib/model/TypeInfo.h"
#include "typelib/sltg/SltgMemberContext.h"
#include "typelib/sltg/SltgTypeInfoBlock.h"

namespace vantrel {

// Appends the type's variables to type.vars.
Expected<void> readSltgVariables(SltgMemberContext& context, const SltgTypeInfoBlock& block, TypeMembers& type);

}  // namespace vantrel
