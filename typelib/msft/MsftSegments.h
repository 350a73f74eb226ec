// The MSFT segment directory: fifteen (offset, length) pairs locating the tables.
// Absent segments become empty readers; every present one is checked against the blob.
#pragma once

#include "typelib/file/ByteReader.h"

namespace vantrel {

struct MsftSegments {
    ByteReader typeInfos;
    ByteReader importInfo;
    ByteReader importFiles;
    ByteReader references;
    ByteReader guids;
    ByteReader names;
    ByteReader strings;
    ByteReader typeDescs;
    ByteReader arrayDescs;
    ByteReader customData;
    ByteReader customDataDirectory;
};

Expected<MsftSegments> readMsftSegments(const ByteReader& blob, int64_t directoryOffset);

}  // namespace vantrel
