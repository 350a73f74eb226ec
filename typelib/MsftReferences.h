// The MSFT reference table: the linked list of a coclass's implemented interfaces.
#pragma once

#include <cstdint>
#include <vector>

#include "typelib/ByteReader.h"
#include "typelib/MsftHrefType.h"
#include "typelib/TypeInfo.h"

namespace vantrel {

// Follows at most `count` records from `first`, so a looping list ends.
Expected<std::vector<ImplType>> readMsftImplTypes(const ByteReader& references, int32_t first,
                                                  int16_t count, MsftHrefTypes& hrefTypes);

}  // namespace vantrel
