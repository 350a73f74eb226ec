// SLTG impl records (0x16 bytes): an interface's base, a dispinterface's IDispatch, a
// coclass's interfaces with their IMPLTYPEFLAGS. Each names its type by the member-area
// offset of a VT_USERDEFINED type word.
#pragma once

#include <vector>

#include "typelib/model/TypeInfo.h"
#include "typelib/sltg/SltgMemberContext.h"
#include "typelib/sltg/SltgTypeInfoBlock.h"

namespace vantrel {

Expected<std::vector<ImplType>> readSltgImpls(const SltgMemberContext& context, const SltgTypeInfoBlock& block);

}  // namespace vantrel
