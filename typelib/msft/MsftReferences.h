// The MSFT reference table: the linked list of a coclass's implemented interfaces.
#pragma once

#include <cstdint>
#include <vector>

#include "typelib/file/ByteReader.h"
#include "typelib/msft/MsftHrefType.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

// Follows at most `count` records from `first`; a list that loops is an error.
// `budget` is the number of records left for the whole library: in a sound file each
// record belongs to one coclass, so shared lists cannot multiply allocations.
Expected<std::vector<ImplType>> readMsftImplTypes(const ByteReader& references, int32_t first,
                                                  int16_t count, MsftHrefTypes& hrefTypes,
                                                  size_t& budget);

}  // namespace vantrel
