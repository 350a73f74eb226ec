// The MSFT name table: names of the library, its types, members and parameters,
// addressed by offset and shared by everything that uses the same name. Each entry
// is decoded once.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

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
    std::unordered_map<int32_t, std::string> decoded_;
};

}  // namespace vantrel
