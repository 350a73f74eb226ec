#include "typelib/text/TextPool.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

std::string_view TextPool::add(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > lastSize_ - usedInLast_) {
        const size_t next = std::min(lastSize_ == 0 ? FirstBlockSize : 2 * lastSize_, MaxBlockSize);
        lastSize_ = std::max(next, text.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(lastSize_));
        usedInLast_ = 0;
    }
    char* at = blocks_.back().get() + usedInLast_;
    std::memcpy(at, text.data(), text.size());
    usedInLast_ += text.size();
    return {at, text.size()};
}

}  // namespace vantrel
