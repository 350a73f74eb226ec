// How the reader's messages are put together, so that every reader says it alike: the
// file named once, in quotes, then in plain words what is wrong, ending with a full stop.
//   The type library '/x/a.tlb' is damaged: it ends after 300,000 bytes, but its
//   resource section lies at 2,064,384.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "typelib/file/Error.h"

namespace vantrel {

// "2,064,384": digits in groups of three, as people read sizes and offsets.
std::string groupedNumber(uint64_t value);

// "1 byte", "12 bytes", "300,000 bytes".
std::string byteCount(uint64_t count);

// `text` ending with a full stop (or another mark that ends a sentence).
std::string asSentence(std::string text);

// "the reference table holds 1,024 bytes, but an implemented interface points to
// offset 4,096": `what` points at `offset`, outside `region` of `regionSize` bytes.
std::string pointsOutside(std::string_view what, int64_t offset, std::string_view region, uint64_t regionSize);

// "the name table ends after 1,024 bytes, but 12 bytes are read at offset 2,048".
std::string readsPastEnd(std::string_view region, uint64_t regionSize, int64_t offset, int64_t length);

// "The KIND 'PATH' is damaged: WHAT.", keeping the error's number. `kind` is "type
// library", "PE file" and the like.
Error damagedFileError(std::string_view kind, std::string_view path, const Error& what);

}  // namespace vantrel
