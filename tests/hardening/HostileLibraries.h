// Crafted libraries that try to make the reader use memory or time out of proportion to
// their size: shared long texts, overlapping texts, many large type entries, member ids
// that collide in a weak hash, and a PE resource tree of overlapping directories. Each
// is made at a given scale, so that a test can compare what two sizes cost.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::testing {

struct HostileKind {
    const char* name;  // in messages and file names
    // The file, about `scale` x 64 KiB large (scale 1..64).
    std::vector<uint8_t> (*make)(unsigned scale);
};

const std::vector<HostileKind>& hostileKinds();

}  // namespace vantrel::testing
