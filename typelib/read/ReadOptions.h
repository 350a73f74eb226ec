// What the caller of a reading chooses; the defaults are what the window reads.
#pragma once

#include <cstdint>
#include <optional>

namespace vantrel {

struct ReadOptions {
    // Decode names and strings in this code page; 0 lets the library's LCID and text
    // decide (libraryCodePage).
    uint32_t codePage = 0;
    // The TYPELIB resource of a PE file to read; none reads id 1, else the lowest id.
    std::optional<uint32_t> resourceId;
};

}  // namespace vantrel
