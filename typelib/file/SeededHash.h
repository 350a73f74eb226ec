// A hash for keys a file chooses (offsets, member ids). A fixed hash lets a crafted file
// pick keys that all land in one bucket and turn every look-up into a walk over all of
// them; mixing in a seed drawn when the program starts makes such keys unknowable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// The seed of this run: random, the same for every call.
uint64_t hashSeed();

// A 64-bit mix of `key` and the seed; all of its bits depend on all of the key's.
inline uint64_t seededHash(uint64_t key) {
    uint64_t x = key ^ hashSeed();
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// For std::unordered_map and std::unordered_set of integer keys.
struct SeededHash {
    size_t operator()(int64_t key) const { return static_cast<size_t>(seededHash(static_cast<uint64_t>(key))); }
};

}  // namespace vantrel
