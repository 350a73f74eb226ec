#include "typelib/TextPool.h"

#include <cstring>

namespace vantrel {

std::string_view TextPool::add(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > BlockSize - usedInLast_) {
        // A text longer than a block gets a block of its own, which then counts as full.
        const bool alone = text.size() > BlockSize;
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(alone ? text.size() : BlockSize));
        usedInLast_ = 0;
        if (alone) {
            std::memcpy(blocks_.back().get(), text.data(), text.size());
            usedInLast_ = BlockSize;
            return {blocks_.back().get(), text.size()};
        }
    }
    char* at = blocks_.back().get() + usedInLast_;
    std::memcpy(at, text.data(), text.size());
    usedInLast_ += text.size();
    return {at, text.size()};
}

}  // namespace vantrel
