#include "typelib/view/DispatchView.h"

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

FunctionList startList(const std::vector<TypeEntry>& chain) {
    FunctionList list;
    size_t count = 0;
    for (const TypeEntry& entry : chain) {
        count += entry.info().funcs.size();
        list.libraries.add(entry.library());
    }
    list.functions.reserve(count);
    return list;
}

}  // namespace

Expected<FunctionList> dispatchViewFunctions(const TypeEntry& type) {
    const std::vector<TypeEntry> chain = VANTREL_TRY(baseChain(type));
    const bool ownAreDispatch = !type.info().isDual() && type.info().kind == TypeKind::Dispatch;
    FunctionList list = startList(chain);
    for (size_t level = 0; level < chain.size(); ++level) {
        const TypeEntry& entry = chain[level];
        const LoadedLibrary& library = *entry.library();
        const bool asStored = ownAreDispatch && level + 1 == chain.size();
        for (const FuncDesc& func : entry.info().funcs) {
            ViewFunction& view = list.functions.emplace_back();
            setStored(view, library, func);
            if (!asStored) toDispatchForm(view);
        }
    }
    return list;
}

Expected<FunctionList> vtableFunctions(const TypeEntry& type) {
    const std::vector<TypeEntry> chain = VANTREL_TRY(baseChain(type));
    FunctionList list = startList(chain);
    for (const TypeEntry& entry : chain)
        for (const FuncDesc& func : entry.info().funcs) setStored(list.functions.emplace_back(), *entry.library(), func);
    return list;
}

}  // namespace vantrel
