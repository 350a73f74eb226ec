// The MSFT GUID table: 24-byte entries, a binary GUID followed by hash bookkeeping.
#pragma once

#include <cstdint>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

// The GUID at a GUID-table offset; -1 gives the null GUID.
Expected<Guid> readMsftGuid(const ByteReader& table, int32_t offset);

}  // namespace vantrel
