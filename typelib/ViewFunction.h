// A function as a member view presents it: the stored function, the library its type
// descriptions belong to, and whether it is shown in the dispatch form of a dual.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "typelib/TypeInfo.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

struct ViewFunction {
    // The library that holds `func`; its TypeDescIds index that library's typeDescs.
    std::shared_ptr<const LoadedLibrary> library;
    const FuncDesc* func = nullptr;
    // The dispatch form drops a trailing retval parameter and turns an HRESULT result
    // into nothing.
    bool dispatchForm = false;
    // The leading parameters of `func` that this form keeps.
    size_t paramCount = 0;
    // The result in this form; empty when the function returns nothing.
    std::optional<TypeDescId> returnType;

    FuncKind funcKind() const { return dispatchForm ? FuncKind::Dispatch : func->funcKind; }
};

// The function exactly as stored.
inline ViewFunction storedFunction(std::shared_ptr<const LoadedLibrary> library,
                                   const FuncDesc& func) {
    ViewFunction view;
    view.library = std::move(library);
    view.func = &func;
    view.paramCount = func.params.size();
    view.returnType = func.returnType;
    return view;
}

}  // namespace vantrel
