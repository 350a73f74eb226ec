#include "typelib/DispatchView.h"

#include "typelib/InterfaceChain.h"
#include "typelib/TypeDescLookup.h"

namespace vantrel {

ViewFunction dispatchFunction(const LoadedLibrary& library, const FuncDesc& func) {
    const LibraryInfo& info = library.info;
    ViewFunction view = storedFunction(library, func);
    view.dispatchForm = true;
    if (!func.params.empty() && (func.params.back().flags & paramflag::RetVal)) {
        --view.paramCount;
        view.returnType = pointee(info, func.params.back().type);
    } else if (isHResult(info, func.returnType)) {
        view.returnType.reset();
    }
    // A dispatch caller passes the locale to Invoke, not as an argument.
    if (view.paramCount > 0 && (func.params[view.paramCount - 1].flags & paramflag::Lcid)) --view.paramCount;
    return view;
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
        for (const FuncDesc& func : entry.info().funcs)
            list.functions.push_back(asStored ? storedFunction(library, func) : dispatchFunction(library, func));
    }
    return list;
}

Expected<FunctionList> vtableFunctions(const TypeEntry& type) {
    const std::vector<TypeEntry> chain = VANTREL_TRY(baseChain(type));
    FunctionList list = startList(chain);
    for (const TypeEntry& entry : chain)
        for (const FuncDesc& func : entry.info().funcs) list.functions.push_back(storedFunction(*entry.library(), func));
    return list;
}

}  // namespace vantrel
