#include "typelib/msft/MsftReferences.h"
#include "typelib/file/Messages.h"

#include <string>
#include <unordered_set>

#include "typelib/file/SeededHash.h"

namespace vantrel {
namespace {

constexpr int64_t kRecordSize = 16;

}  // namespace

Expected<std::vector<ImplType>> readMsftImplTypes(const ByteReader& references, int32_t first,
                                                  int16_t count, MsftHrefTypes& hrefTypes,
                                                  size_t& budget) {
    std::vector<ImplType> impls;
    if (count <= 0) return impls;
    std::unordered_set<int32_t, SeededHash> visited;
    int32_t offset = first;
    while (offset != -1 && impls.size() < static_cast<size_t>(count)) {
        if (!visited.insert(offset).second) return damaged("its list of implemented interfaces loops");
        if (budget == 0) return damaged("its implemented interfaces overlap those of other types");
        --budget;
        if (!references.contains(offset, kRecordSize)) {
            return damaged(pointsOutside("an implemented interface", offset, "the reference table", references.size()));
        }
        const auto at = static_cast<size_t>(offset);
        ImplType impl;
        impl.type = VANTREL_TRY(hrefTypes.resolve(references.i32Unchecked(at)));
        impl.flags = references.i32Unchecked(at + 4);
        impls.push_back(impl);
        offset = references.i32Unchecked(at + 12);
    }
    return impls;
}

}  // namespace vantrel
