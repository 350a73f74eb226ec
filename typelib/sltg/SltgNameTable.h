// The SLTG name table: every name of the library, addressed by the offset of its entry.
// An entry is an 8-byte header (hash bytes, bucket chain, kind bits) and then the
// NUL-terminated text. Each entry is decoded once into the library's text pool.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/file/ByteReader.h"
#include "typelib/text/TextPool.h"

namespace vantrel {

class SltgNameTable {
public:
    SltgNameTable(ByteReader table, uint32_t codePage, TextPool& pool)
        : table_(table), codePage_(codePage), pool_(pool),
          slotPages_((std::min<size_t>(table.size(), 0x10000) + SlotPageSize - 1) / SlotPageSize) {}

    // Offset 0xFFFF and 0xFFFE are no name: "". The view lives as long as the pool.
    Expected<std::string_view> pooledName(uint16_t offset);
    Expected<std::string> name(uint16_t offset) { return std::string(VANTREL_TRY(pooledName(offset))); }
    // The raw bytes of an entry's text, for texts that are not names (import paths).
    Expected<std::string_view> rawText(uint16_t offset) const;


private:
    static constexpr size_t SlotPageBits = 8;
    static constexpr size_t SlotPageSize = size_t{1} << SlotPageBits;

    // 0 when the entry at `offset` was not decoded yet, else 1 + its index in decoded_.
    uint32_t slot(uint16_t offset) const;
    void setSlot(uint16_t offset, uint32_t value);

    ByteReader table_;
    uint32_t codePage_;
    TextPool& pool_;
    // The slots by offset, odd ones too, so that each entry is decoded at most once; in
    // pages made when first written, as a library's names are looked up a few at a time.
    std::vector<std::unique_ptr<uint32_t[]>> slotPages_;
    std::vector<std::string_view> decoded_;
};

// Each entry's text in table order, as raw bytes: entries are an 8-byte header and a
// NUL-terminated text, padded to an even length. Stops at the first damaged entry.
void visitSltgNameTexts(const ByteReader& table, const std::function<void(std::span<const uint8_t>)>& visit);

}  // namespace vantrel
