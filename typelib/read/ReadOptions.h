// What the caller of a reading chooses; the defaults are what the window reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vantrel {

struct ReadOptions {
    // Decode names and strings in this code page; 0 lets the library's LCID and text
    // decide (libraryCodePage).
    uint32_t codePage = 0;
    // The TYPELIB resource of a PE file to read; none reads id 1, else the lowest id.
    std::optional<uint32_t> resourceId;
    // The decoded members a library keeps beyond those in use (see LazyMembers); none
    // keeps a share of the file's size. 0 decodes a type's members again whenever no
    // handle holds them.
    std::optional<size_t> keptMemberBytes;
};

}  // namespace vantrel
