#include "typelib/DispatchView.h"

#include "typelib/InterfaceChain.h"
#include "typelib/TypeDescLookup.h"

namespace vantrel {

namespace {

size_t functionCount(const std::vector<TypeEntry>& chain) {
    size_t count = 0;
    for (const TypeEntry& entry : chain) count += entry.info().funcs.size();
    return count;
}

}  // namespace

ViewFunction dispatchFunction(std::shared_ptr<const LoadedLibrary> library,
                              const FuncDesc& func) {
    const LibraryInfo& info = library->info;
    ViewFunction view;
    view.func = &func;
    view.dispatchForm = true;
    view.paramCount = func.params.size();
    view.returnType = func.returnType;
    if (!func.params.empty() && (func.params.back().flags & paramflag::RetVal)) {
        --view.paramCount;
        view.returnType = pointee(info, func.params.back().type);
    } else if (isHResult(info, func.returnType)) {
        view.returnType.reset();
    }
    // A dispatch caller passes the locale to Invoke, not as an argument.
    if (view.paramCount > 0 && (func.params[view.paramCount - 1].flags & paramflag::Lcid)) --view.paramCount;
    view.library = std::move(library);
    return view;
}

Expected<std::vector<ViewFunction>> dispatchViewFunctions(const TypeEntry& type) {
    const std::vector<TypeEntry> chain = VANTREL_TRY(baseChain(type));
    const bool ownAreDispatch = !type.info().isDual() && type.info().kind == TypeKind::Dispatch;
    std::vector<ViewFunction> functions;
    functions.reserve(functionCount(chain));
    for (size_t level = 0; level < chain.size(); ++level) {
        const TypeEntry& entry = chain[level];
        const bool asStored = ownAreDispatch && level + 1 == chain.size();
        for (const FuncDesc& func : entry.info().funcs)
            functions.push_back(asStored ? storedFunction(entry.library(), func)
                                         : dispatchFunction(entry.library(), func));
    }
    return functions;
}

Expected<std::vector<ViewFunction>> vtableFunctions(const TypeEntry& type) {
    const std::vector<TypeEntry> chain = VANTREL_TRY(baseChain(type));
    std::vector<ViewFunction> functions;
    functions.reserve(functionCount(chain));
    for (const TypeEntry& entry : chain)
        for (const FuncDesc& func : entry.info().funcs)
            functions.push_back(storedFunction(entry.library(), func));
    return functions;
}

}  // namespace vantrel
