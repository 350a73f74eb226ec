#include "typelib/view/DispatchView.h"

#include <optional>

#include "typelib/imports/ResolveType.h"
#include "typelib/view/InterfaceChain.h"
#include "typelib/model/TypeDescLookup.h"

namespace vantrel {

void toDispatchForm(ViewFunction& view) {
    const FuncDesc& func = *view.func;
    const LibraryInfo& info = view.library->info;
    view.dispatchForm = true;
    if (!func.params.empty() && (func.params.back().flags & paramflag::RetVal)) {
        --view.paramCount;
        view.returnType = pointee(info, func.params.back().type);
    } else if (isHResult(info, func.returnType)) {
        view.returnType.reset();
    }
    // A dispatch caller passes the locale to Invoke, not as an argument.
    if (view.paramCount > 0 && (func.params[view.paramCount - 1].flags & paramflag::Lcid)) --view.paramCount;
}

namespace {

bool isPureDispatch(const TypeInfo& info) { return info.kind == TypeKind::Dispatch && !info.isDual(); }

// The interface a dispinterface wraps; nothing when it wraps none or the interface lives
// in a library that can't be reached (then it shows as a plain dispinterface).
Expected<std::optional<TypeEntry>> wrappedInterface(const TypeEntry& type) {
    const TypeInfo& info = type.info();
    if (!isPureDispatch(info) || info.wrappedInterface.kind == TypeHandle::Kind::None)
        return std::optional<TypeEntry>();
    Expected<TypeEntry> found = resolveTypeHandle(type.library(), info.wrappedInterface);
    if (!found) {
        if (info.wrappedInterface.kind == TypeHandle::Kind::Imported) return std::optional<TypeEntry>();
        return found.error();
    }
    // Only an interface or a dual is wrapped; this also keeps a wrapper from wrapping itself.
    if (found->info().kind != TypeKind::Interface && !found->info().isDual())
        return damagedLibrary(*type.library(), "dispinterface '" + std::string(type.Name()) + "' wraps '" +
                                                   std::string(found->Name()) + "', which is no interface");
    return std::optional<TypeEntry>(std::move(found).value());
}

// A list that holds the libraries and members of `chain`, with room for their functions.
FunctionList startList(const std::vector<TypeEntry>& chain, std::vector<MembersRef>& members) {
    FunctionList list;
    size_t count = 0;
    members.reserve(chain.size());
    for (const TypeEntry& entry : chain) {
        const MembersRef& held = members.emplace_back(entry.info().members());
        count += held.funcs().size();
        list.libraries.add(entry.library(), held);
    }
    list.functions.reserve(count);
    return list;
}

}  // namespace

Expected<FunctionList> dispatchViewFunctions(const TypeEntry& type) {
    const std::optional<TypeEntry> wrapped = VANTREL_TRY(wrappedInterface(type));
    const TypeEntry& shown = wrapped ? *wrapped : type;
    const std::vector<TypeEntry> chain = VANTREL_TRY(baseChain(shown));
    const bool ownAreDispatch = isPureDispatch(shown.info());
    std::vector<MembersRef> members;
    FunctionList list = startList(chain, members);
    for (size_t level = 0; level < chain.size(); ++level) {
        const LoadedLibrary& library = *chain[level].library();
        const bool asStored = ownAreDispatch && level + 1 == chain.size();
        for (const FuncDesc& func : members[level].funcs()) {
            ViewFunction& view = list.functions.emplace_back();
            setStored(view, library, func);
            if (!asStored) toDispatchForm(view);
        }
    }
    // A wrapper stores no functions of its own; any it has anyway are not lost.
    if (!wrapped) return list;
    if (const MembersRef own = type.info().members(); !own.funcs().empty()) {
        list.libraries.add(type.library(), own);  // the wrapped interface may live in another one
        for (const FuncDesc& func : own.funcs()) setStored(list.functions.emplace_back(), *type.library(), func);
    }
    return list;
}

Expected<FunctionList> vtableFunctions(const TypeEntry& type) {
    const std::vector<TypeEntry> chain = VANTREL_TRY(baseChain(type));
    std::vector<MembersRef> members;
    FunctionList list = startList(chain, members);
    for (size_t level = 0; level < chain.size(); ++level)
        for (const FuncDesc& func : members[level].funcs())
            setStored(list.functions.emplace_back(), *chain[level].library(), func);
    return list;
}

}  // namespace vantrel
