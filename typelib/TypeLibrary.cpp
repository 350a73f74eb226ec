// The opened library's types and, per type, its cached member view.
#include "typelib/TypeLibrary.h"

#include <string_view>

#include "typelib/text/AsciiCase.h"
#include "typelib/view/AutomationSignature.h"
#include "typelib/view/MemberView.h"

namespace vantrel {

namespace {

const TypeInfo& noType() {
    static const TypeInfo empty;
    return empty;
}

}  // namespace

const TypeInfo& TypeEntry::info() const {
    if (!library_ || index_ < 0 || static_cast<size_t>(index_) >= library_->info.types.size())
        return noType();
    return library_->info.types[static_cast<size_t>(index_)];
}

std::string_view TypeEntry::Name() const { return info().name; }

// Views are built on first use and the last few are kept. A report asks for a type's
// members once and then for each member, and a user goes from type to type, so every
// later question about the types at hand is a look-up, while memory stays bounded
// however many types are visited. One thread only.
struct TypeLibrary::ViewCache {
    static constexpr size_t KeptViews = 8;

    struct Kept {
        SearchData type;
        std::unique_ptr<const MemberView> view;
    };
    std::vector<Kept> recent;  // oldest first
    // Every library that a view built so far takes names from: the names that GetMembers
    // lists stay good while the cache lives, however many views come and go.
    Libraries named;  // the libraries only, not their types' members

    void holdNames(const Libraries& libraries) {
        for (const std::shared_ptr<const LoadedLibrary>& library : libraries.held()) named.add(library);
    }

    const MemberView* find(SearchData type) const {
        for (auto kept = recent.rbegin(); kept != recent.rend(); ++kept)
            if (kept->type == type) return kept->view.get();
        return nullptr;
    }

    // The pointer is good until the next call.
    Expected<const MemberView*> viewOf(const std::shared_ptr<const LoadedLibrary>& library,
                                       SearchData type) {
        // Looked up first: a report or a walk asks about one type many times in a row, and
        // a type that is not there was never kept.
        if (const MemberView* kept = find(type)) return kept;
        if (type < 0 || static_cast<size_t>(type) >= library->info.types.size())
            return makeError(errc::ElementNotFound, "There is no type number " +
                                                        std::to_string(type) +
                                                        " in the type library " + library->path);
        MemberView built =
            VANTREL_TRY(buildMemberView(TypeEntry(library, type), [this](SearchData other) { return find(other); }));
        holdNames(built.libraries);
        if (recent.size() == KeptViews) recent.erase(recent.begin());
        recent.push_back({type, std::make_unique<const MemberView>(std::move(built))});
        return recent.back().view.get();
    }
};

TypeLibrary::TypeLibrary(std::shared_ptr<const LoadedLibrary> library)
    : library_(std::move(library)), views_(std::make_shared<ViewCache>()) {
    views_->recent.reserve(ViewCache::KeptViews);
}

Collection<TypeEntry> TypeLibrary::Types() const {
    std::vector<TypeEntry> types;
    const size_t count = library_->info.types.size();
    types.reserve(count);
    for (size_t i = 0; i < count; ++i) types.emplace_back(library_, static_cast<int32_t>(i));
    return Collection<TypeEntry>(std::move(types));
}

Expected<SearchData> TypeLibrary::FindType(const std::string& name, int32_t /*filter*/) const {
    const std::vector<TypeInfo>& types = library_->info.types;
    for (size_t i = 0; i < types.size(); ++i)
        if (types[i].name == name) return static_cast<SearchData>(i);
    for (size_t i = 0; i < types.size(); ++i)
        if (equalsIgnoringCase(types[i].name, name)) return static_cast<SearchData>(i);
    return makeError(errc::ElementNotFound, "Type '" + name + "' is not in the type library.");
}

Expected<Collection<MemberItem>> TypeLibrary::GetMembers(SearchData type, int32_t flag) const {
    if (flag != memberview::UserView && flag != memberview::AllMembers)
        return makeError(errc::InvalidArgument,
                         "GetMembers takes the flag 0 or 1, not " + std::to_string(flag));
    const MemberView* view = VANTREL_TRY(views_->viewOf(library_, type));
    std::vector<MemberItem> items;
    items.reserve(view->members.size());
    const bool fullView = flag == memberview::AllMembers;
    for (size_t i = 0; i < view->members.size(); ++i) {
        const ViewMember& member = view->members[i];
        if (fullView || member.userVisible()) member.describe(items.emplace_back(), i, fullView);
    }
    return Collection<MemberItem>(std::move(items), views_);
}

// The member id alone names the member; the name is accepted and not compared.
Expected<MemberEntry> TypeLibrary::GetMember(SearchData type, int32_t invokeKinds,
                                             int32_t memberId,
                                             std::string_view /*name*/) const {
    const MemberView* view = VANTREL_TRY(views_->viewOf(library_, type));
    if (memberId < 0 || static_cast<size_t>(memberId) >= view->members.size())
        return makeError(errc::ElementNotFound,
                         "Type '" + std::string(library_->info.types[static_cast<size_t>(type)].name) +
                             "' has no member with the id " + std::to_string(memberId) + ".");
    return memberSignature(*view, view->members[static_cast<size_t>(memberId)], invokeKinds);
}

}  // namespace vantrel
