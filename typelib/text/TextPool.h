// Texts that many records share, kept once for a whole library. A function or parameter
// name is a view into the pool; the pool lives as long as any copy of the library that
// refers to it.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace vantrel {

class TextPool {
public:
    // A copy of `text` that stays where it is for the pool's lifetime.
    std::string_view add(std::string_view text);

private:
    // Texts go into blocks that never move or grow, so views into them stay good. Each
    // block is twice the size of the one before, up to MaxBlockSize: a small library
    // takes little, a large one few blocks. A text longer than that gets its own block.
    static constexpr size_t FirstBlockSize = 1024;
    static constexpr size_t MaxBlockSize = 64 * 1024;

    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t lastSize_ = 0;
    size_t usedInLast_ = 0;
};

}  // namespace vantrel
