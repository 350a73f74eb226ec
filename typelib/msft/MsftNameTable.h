// The MSFT name table: names of the library, its types, members and parameters,
// addressed by offset and shared by everything that uses the same name. Each entry is
// decoded once into the library's text pool, at an aligned offset or not; later uses of
// it are a look-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/file/ByteReader.h"
#include "typelib/text/DecodedTexts.h"

namespace vantrel {

class MsftNameTable {
public:
    MsftNameTable(ByteReader table, uint32_t codePage, TextPool& pool)
        : table_(table), texts_(pool, codePage, table.size()) {}

    // Offset -1 is no name: "". The view lives as long as the pool. A name decoded
    // before is found here, inline: a large library asks for tens of thousands. Set where
    // the caller keeps it: a view handed back in a result is copied out of it with loads
    // wider than the stores that made it, which stalls the processor.
    Expected<void> pooledName(int32_t offset, std::string_view& name) {
        if (offset >= 0 && offset % 4 == 0 && static_cast<size_t>(offset) / 4 < slots_.size()) {
            const uint32_t slot = slots_[static_cast<size_t>(offset) / 4];
            if (slot != 0) {
                name = decoded_[slot - 1];
                return {};
            }
        }
        return firstUse(offset, name);
    }

private:
    Expected<void> firstUse(int32_t offset, std::string_view& name);
    // The entry's text and the bytes the entry takes.
    Expected<std::span<const uint8_t>> textAt(int32_t offset) const;

    ByteReader table_;
    DecodedTexts texts_;  // holds the entries at unaligned offsets
    // By offset / 4 (entries are 4-byte aligned): 1 + the index in decoded_, 0 when not
    // decoded yet.
    std::vector<uint32_t> slots_;
    std::vector<std::string_view> decoded_;
};

}  // namespace vantrel
