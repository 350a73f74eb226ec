// The MSFT string table: help strings, the help file, module DLL names and named entry
// points, each a 16-bit length and 8-bit text.
#pragma once

#include <cstdint>
#include <string>

#include "typelib/file/ByteReader.h"

namespace vantrel {

class MsftStringTable {
public:
    MsftStringTable(ByteReader table, uint32_t codePage) : table_(table), codePage_(codePage) {}

    // Offset -1 is no string: "".
    Expected<std::string> text(int32_t offset) const;

private:
    ByteReader table_;
    uint32_t codePage_;
};

}  // namespace vantrel
