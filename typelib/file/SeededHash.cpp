#include "typelib/file/SeededHash.h"

#include <random>

namespace vantrel {

uint64_t hashSeed() {
    static const uint64_t seed = [] {
        std::random_device device;
        return (uint64_t{device()} << 32) ^ device();
    }();
    return seed;
}

}  // namespace vantrel
