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

#include "typelib/file/ByteReader.h"

namespace vantrel {

class SltgHelpStrings {
public:
    // `maxLength` is the dictionary's bound on a string's length, terminator included.
    SltgHelpStrings(ByteReader dictionary, uint16_t maxLength, uint32_t codePage, size_t fileSize)
        : dictionary_(dictionary), maxLength_(maxLength), codePage_(codePage), bitBudget_(32 * fileSize) {}

    // The string whose bits start at `bits`; "" for no bits or an empty dictionary.
    Expected<std::string> text(std::span<const uint8_t> bits);

private:
    ByteReader dictionary_;
    uint16_t maxLength_;
    uint32_t codePage_;
    // Bits left to walk for the whole library: strings that share their bits or run
    // through a deep tree must not multiply the work.
    size_t bitBudget_;
};

}  // namespace vantrel
