#include "typelib/model/TypeInfo.h"

namespace vantrel {

TypeInfo& TypeInfo::operator=(const TypeInfo& other) {
    if (this != &other) {
        TypeInfoFields::operator=(other);
        relinkParams();
    }
    return *this;
}

FuncDesc& TypeInfo::addFunction(FuncDesc func, std::span<const ParamDesc> funcParams) {
    params.insert(params.end(), funcParams.begin(), funcParams.end());
    func.params = funcParams;  // its count, until relinked below
    funcs.push_back(std::move(func));
    relinkParams();
    return funcs.back();
}

void TypeInfo::linkParams(std::span<const size_t> counts) {
    size_t next = 0;
    for (size_t i = 0; i < funcs.size(); ++i) {
        const size_t count = i < counts.size() ? counts[i] : 0;
        if (count > params.size() - next) {
            funcs[i].params = {};
            continue;
        }
        funcs[i].params = std::span<const ParamDesc>(params).subspan(next, count);
        next += count;
    }
}

// Only the sizes of the old views are read: they may point at an array that is gone.
void TypeInfo::relinkParams() {
    std::vector<size_t> counts;
    counts.reserve(funcs.size());
    for (const FuncDesc& func : funcs) counts.push_back(func.params.size());
    linkParams(counts);
}

}  // namespace vantrel
