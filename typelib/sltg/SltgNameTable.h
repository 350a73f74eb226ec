// The SLTG name table: every name of the library, addressed by the offset of its entry.
// An entry is an 8-byte header (hash bytes, bucket chain, kind bits) and then the
// NUL-terminated text. Each entry is decoded once into the library's text pool.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "typelib/file/ByteReader.h"
#include "typelib/text/TextPool.h"

namespace vantrel {

class SltgNameTable {
public:
    SltgNameTable(ByteReader table, uint32_t codePage, TextPool& pool)
        : table_(table), codePage_(codePage), pool_(pool) {}

    // Offset 0xFFFF and 0xFFFE are no name: "". The view lives as long as the pool.
    Expected<std::string_view> pooledName(uint16_t offset);
    Expected<std::string> name(uint16_t offset) { return std::string(VANTREL_TRY(pooledName(offset))); }
    // The raw bytes of an entry's text, for texts that are not names (import paths).
    Expected<std::string_view> rawText(uint16_t offset) const;

private:
    ByteReader table_;
    uint32_t codePage_;
    TextPool& pool_;
    // The names decoded so far by offset, so that each entry is decoded at most once: a
    // map rather than a table of every offset, as listing the types looks up only their
    // names, spread over the whole table.
    std::unordered_map<uint16_t, std::string_view> decoded_;
};

// Each entry's text in table order, as raw bytes: entries are an 8-byte header and a
// NUL-terminated text, padded to an even length. Stops at the first damaged entry.
void visitSltgNameTexts(const ByteReader& table, const std::function<void(std::span<const uint8_t>)>& visit);

}  // namespace vantrel
