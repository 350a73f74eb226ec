// The MSFT name table: names of the library, its types, members and parameters,
// addressed by offset and shared by everything that uses the same name. Each use
// decodes its entry afresh: names are short, and a cache of every decoded name would
// cost more memory than decoding costs time.
#pragma once

#include <cstdint>
#include <string>

#include "typelib/ByteReader.h"

namespace vantrel {

class MsftNameTable {
public:
    MsftNameTable(ByteReader table, uint32_t codePage) : table_(table), codePage_(codePage) {}

    // Offset -1 is no name: "".
    Expected<std::string> name(int32_t offset);

private:
    ByteReader table_;
    uint32_t codePage_;
};

}  // namespace vantrel
