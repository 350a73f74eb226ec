// The texts of one table of a file, decoded into the library's text pool once per place:
// every record that points to a place shares one decoded copy, so a text's size counts
// once however many records name it. Places that overlap are each new, so the bytes
// decoded are counted too: together they may use each byte of the table once, as the
// texts of a sound table never share bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>

#include "typelib/file/Error.h"
#include "typelib/file/SeededHash.h"
#include "typelib/text/TextPool.h"

namespace vantrel {

class DecodedTexts {
public:
    // `tableSize`: the bytes of the table, the most that its texts may use together.
    DecodedTexts(TextPool& pool, uint32_t codePage, size_t tableSize)
        : pool_(pool), codePage_(codePage), bytesLeft_(tableSize) {}

    // The text decoded before at `offset`, or null.
    const std::string_view* find(int64_t offset) const {
        const auto found = byOffset_.find(offset);
        return found == byOffset_.end() ? nullptr : &found->second;
    }

    // Decodes `text`, which takes `entrySize` bytes of the table with its header, into
    // the pool; an error when the table's texts would use more bytes than it has. Empty
    // texts are not counted: they take no memory.
    Expected<std::string_view> decode(std::span<const uint8_t> text, size_t entrySize);

    // The same, remembered for `offset`: find() gives it from now on.
    Expected<std::string_view> decodeAt(int64_t offset, std::span<const uint8_t> text, size_t entrySize);

private:
    TextPool& pool_;
    uint32_t codePage_;
    size_t bytesLeft_;
    std::unordered_map<int64_t, std::string_view, SeededHash> byOffset_;
};

}  // namespace vantrel
