// An MSFT member block: a type's function and variable records, followed by arrays of
// member ids, member names and record offsets.
#pragma once

#include "typelib/file/ByteReader.h"
#include "typelib/msft/MsftNameTable.h"
#include "typelib/msft/MsftStringTable.h"
#include "typelib/msft/MsftTypeDescs.h"
#include "typelib/msft/MsftTypeInfoEntry.h"
#include "typelib/msft/MsftValues.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

struct MsftMemberTables {
    const ByteReader& blob;
    MsftNameTable& names;
    MsftStringTable& strings;
    MsftTypeDescs& typeDescs;
    MsftValues& values;
    // Record bytes left to decode for the whole library. In a sound file no two
    // records share bytes, so records that overlap (within a block or across types)
    // cannot make the reader allocate far more than the file holds.
    size_t recordBytesBudget = blob.size();
};

// Fills type.funcs and type.vars.
Expected<void> readMsftMembers(MsftMemberTables& tables, const MsftTypeInfoEntry& entry, TypeInfo& type);

}  // namespace vantrel
