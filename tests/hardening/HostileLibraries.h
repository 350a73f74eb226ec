// Crafted libraries that try to make the reader use memory or time out of proportion to
// their size: shared long texts, overlapping texts, many large type entries, member ids
// that collide in a weak hash, and a PE resource tree of overlapping directories. Each
// is made at a given scale, so that a test can compare what two sizes cost.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::testing {

struct HostileKind {
    const char* name;  // in messages and file names
    // The file, about `scale` x 64 KiB large (scale 1..64).
    std::vector<uint8_t> (*make)(unsigned scale);
};

const std::vector<HostileKind>& hostileKinds();

// A library of enumerations with one constant each, named as given; a damaged one's
// member block lies outside the file.
struct EnumType {
    std::string name;
    bool damaged = false;
};
std::vector<uint8_t> libraryOfEnums(const std::vector<EnumType>& enums);

// One constant whose type is `depth` pointers chained to a long.
std::vector<uint8_t> libraryWithPointerChain(unsigned depth);

}  // namespace vantrel::testing
