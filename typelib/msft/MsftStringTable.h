// The MSFT string table: help strings, the help file, module DLL names and named entry
// points, each a 16-bit length and 8-bit text. Each is decoded once into the library's
// text pool, however many members share it.
#pragma once

#include <cstdint>
#include <string_view>

#include "typelib/file/ByteReader.h"
#include "typelib/text/DecodedTexts.h"

namespace vantrel {

class MsftStringTable {
public:
    MsftStringTable(ByteReader table, uint32_t codePage, TextPool& pool)
        : table_(table), texts_(pool, codePage, table.size()) {}

    // Offset -1 is no string: "". The view lives as long as the pool.
    Expected<std::string_view> text(int32_t offset);

private:
    ByteReader table_;
    DecodedTexts texts_;
};

}  // namespace vantrel
