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
};

// Fills `members` with the functions and variables of the type that `entry` describes.
// Its records may use each byte of its member block once: in a sound file no two
// records share bytes, so records that overlap can't make the reader allocate far more
// than the block holds.
Expected<void> readMsftMembers(MsftMemberTables& tables, const MsftTypeInfoEntry& entry, TypeKind kind,
                               TypeMembers& members);

}  // namespace vantrel
