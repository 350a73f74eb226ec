// An MSFT member block: a type's function and variable records, followed by arrays of
// member ids, member names and record offsets.
#pragma once

#include "typelib/ByteReader.h"
#include "typelib/MsftNameTable.h"
#include "typelib/MsftStringTable.h"
#include "typelib/MsftTypeDescs.h"
#include "typelib/MsftTypeInfoEntry.h"
#include "typelib/MsftValues.h"
#include "typelib/TypeInfo.h"

namespace vantrel {

struct MsftMemberTables {
    const ByteReader& blob;
    MsftNameTable& names;
    const MsftStringTable& strings;
    MsftTypeDescs& typeDescs;
    const MsftValues& values;
    // Records left to decode for the whole library. Every record takes at least 20
    // bytes of its own in a sound file, so types whose blocks overlap cannot make the
    // reader allocate far more than the file holds.
    size_t recordBudget = blob.size() / 20;
};

// Fills type.funcs and type.vars.
Expected<void> readMsftMembers(MsftMemberTables& tables, const MsftTypeInfoEntry& entry, TypeInfo& type);

}  // namespace vantrel
