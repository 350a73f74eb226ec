// SLTG help strings. Apart from the library's own, doc strings are compressed word by
// word with the library's dictionary: a binary tree stored in preorder, where an inner
// node is 0x80 and the big-endian offset of its second child (its first child follows
// it) and a leaf is 0x00, a word and a NUL. A string is a bit stream, most significant
// bit first: 1 goes to the first child, 0 to the second; each leaf reached adds its word,
// and the empty word ends the string. Words are joined with single spaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>

#include "typelib/file/ByteReader.h"
#include "typelib/text/TextPool.h"

namespace vantrel {

class SltgHelpStrings {
public:
    // `maxLength` is the dictionary's bound on a string's length, terminator included.
    SltgHelpStrings(ByteReader dictionary, uint16_t maxLength, uint32_t codePage, size_t fileSize, TextPool& pool)
        : dictionary_(dictionary), maxLength_(maxLength), codePage_(codePage), bitBudget_(32 * fileSize),
          textBudget_(4 * fileSize + 1024 * 1024), pool_(pool) {}

    // The string whose bits start at `bits`, kept in the pool; "" for no bits or an empty
    // dictionary. Each place is decoded once, however often its type's members are.
    Expected<std::string_view> text(std::span<const uint8_t> bits);
    // A string constant stored as `bytes` in the library's code page, kept in the pool
    // once per place.
    Expected<std::string_view> constant(std::span<const uint8_t> bytes);

private:
    ByteReader dictionary_;
    uint16_t maxLength_;
    uint32_t codePage_;
    // Bits left to walk for the whole library: strings that share their bits or run
    // through a deep tree must not multiply the work.
    size_t bitBudget_;
    size_t textBudget_;
    TextPool& pool_;

    Expected<std::string> decode(std::span<const uint8_t> bits);
    // Records may share the place their text is read from, so all the texts kept for a
    // library together may take only a few times the file's size.
    Expected<std::string_view> keep(const std::string& decoded);

    std::unordered_map<const uint8_t*, std::string_view> helpByPlace_;
    std::unordered_map<const uint8_t*, std::string_view> constantByPlace_;
};

}  // namespace vantrel
