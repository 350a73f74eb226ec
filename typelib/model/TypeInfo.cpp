#include "typelib/model/TypeInfo.h"

namespace vantrel {

TypeMembers::TypeMembers(const TypeMembers& other)
    : funcs(other.funcs), params(other.params), vars(other.vars), error(other.error) {
    relinkParams();
}

TypeMembers& TypeMembers::operator=(const TypeMembers& other) {
    if (this != &other) {
        funcs = other.funcs;
        params = other.params;
        vars = other.vars;
        error = other.error;
        relinkParams();
    }
    return *this;
}

FuncDesc& TypeMembers::addFunction(FuncDesc func, std::span<const ParamDesc> funcParams) {
    params.insert(params.end(), funcParams.begin(), funcParams.end());
    func.params = funcParams;  // its count, until relinked below
    funcs.push_back(std::move(func));
    relinkParams();
    return funcs.back();
}

void TypeMembers::linkParams(std::span<const size_t> counts) {
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
void TypeMembers::relinkParams() {
    std::vector<size_t> counts;
    counts.reserve(funcs.size());
    for (const FuncDesc& func : funcs) counts.push_back(func.params.size());
    linkParams(counts);
}

size_t TypeMembers::bytes() const {
    return sizeof(TypeMembers) + funcs.capacity() * sizeof(FuncDesc) + params.capacity() * sizeof(ParamDesc) +
           vars.capacity() * sizeof(VarDesc);
}

LazyMembers::LazyMembers(std::unique_ptr<MemberDecoder> decoder, size_t typeCount, size_t keptBytes)
    : decoder_(std::move(decoder)), live_(typeCount), keptBytes_(keptBytes) {}

std::shared_ptr<const TypeMembers> LazyMembers::of(size_t typeIndex) {
    if (typeIndex >= live_.size()) return std::make_shared<const TypeMembers>();
    if (std::shared_ptr<const TypeMembers> held = live_[typeIndex].lock()) return held;
    auto members = std::make_shared<const TypeMembers>(decoder_->decode(typeIndex));
    live_[typeIndex] = members;
    if (members->error) {
        if (damaged_.empty()) damaged_.resize(live_.size());
        damaged_[typeIndex] = members;
    } else {
        keepRecent(members);
    }
    return members;
}

// The members decoded last stay, the oldest going first, while they fit `keptBytes_`;
// the newest always stays.
void LazyMembers::keepRecent(const std::shared_ptr<const TypeMembers>& members) {
    recent_.push_back(members);
    recentBytes_ += members->bytes();
    while (recent_.size() > 1 && recentBytes_ > keptBytes_) {
        recentBytes_ -= recent_.front()->bytes();
        recent_.pop_front();
    }
}

MembersRef TypeInfo::members() const {
    if (lazy_) return MembersRef(lazy_->of(lazyIndex_));
    if (own_) return MembersRef(own_);
    static const auto none = std::make_shared<const TypeMembers>();
    return MembersRef(none);
}

TypeMembers& TypeInfo::editMembers() {
    lazy_.reset();
    if (!own_) {
        own_ = std::make_shared<TypeMembers>();
    } else if (own_.use_count() > 1) {
        own_ = std::make_shared<TypeMembers>(*own_);
    }
    return *own_;
}

void TypeInfo::decodeMembersWith(std::shared_ptr<LazyMembers> source, size_t typeIndex) {
    own_.reset();
    lazy_ = std::move(source);
    lazyIndex_ = typeIndex;
}

}  // namespace vantrel
