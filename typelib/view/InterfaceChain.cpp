#include "typelib/view/InterfaceChain.h"

#include <algorithm>

#include "typelib/file/Limits.h"
#include "typelib/imports/ResolveType.h"

namespace vantrel {

namespace {

bool sameType(const TypeEntry& a, const TypeEntry& b) {
    return a.library().get() == b.library().get() && a.index() == b.index();
}

TypeHandle baseHandleOf(const TypeEntry& type) {
    const TypeInfo& info = type.info();
    if (info.kind == TypeKind::Dispatch && !info.isDual()) return type.library()->info.dispatchType;
    return info.baseType;
}

std::string quoted(const TypeEntry& type) {
    std::string text = "'";
    text += type.Name();
    return text + "'";
}

}  // namespace

bool isInterfaceKind(TypeKind kind) {
    return kind == TypeKind::Interface || kind == TypeKind::Dispatch;
}

Expected<std::vector<TypeEntry>> baseChain(const TypeEntry& type) {
    // Real chains are a few levels deep: IUnknown, IDispatch, the interface.
    std::vector<TypeEntry> chain;
    chain.reserve(4);
    chain.push_back(type);
    for (;;) {
        const TypeEntry& current = chain.back();
        if (const MembersRef members = current.info().members(); members.damaged())
            return typeMembersError(current, *members.error());
        const TypeHandle base = baseHandleOf(current);
        if (base.kind == TypeHandle::Kind::None) break;
        Expected<TypeEntry> next = resolveTypeHandle(current.library(), base);
        if (!next) {
            if (base.kind == TypeHandle::Kind::Imported) break;
            return next.error();
        }
        const LoadedLibrary& library = *current.library();
        if (!isInterfaceKind(next->info().kind))
            return damagedLibrary(library, "the base of interface " + quoted(current) +
                                               " is " + quoted(*next) +
                                               ", which is not an interface");
        if (std::any_of(chain.begin(), chain.end(),
                        [&](const TypeEntry& seen) { return sameType(seen, *next); }))
            return damagedLibrary(library, "the base interfaces of " + quoted(type) +
                                               " form a cycle");
        if (chain.size() >= kMaxBaseChainLength)
            return damagedLibrary(library, "the chain of base interfaces of " + quoted(type) +
                                               " is more than " +
                                               std::to_string(kMaxBaseChainLength) + " long");
        chain.push_back(std::move(next).value());
    }
    std::reverse(chain.begin(), chain.end());
    return chain;
}

}  // namespace vantrel
