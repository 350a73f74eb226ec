// A function as a member view presents it: the stored function, the library its type
// descriptions belong to, and whether it is shown in the dispatch form of a dual.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "typelib/model/TypeInfo.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

struct ViewFunction {
    // The library that holds `func`; its TypeDescIds index that library's typeDescs. The
    // list or view that holds the function keeps the library alive (see Libraries).
    const LoadedLibrary* library = nullptr;
    const FuncDesc* func = nullptr;
    // The leading parameters of `func` that this form keeps.
    uint32_t paramCount = 0;
    // The dispatch form drops a trailing retval parameter and turns an HRESULT result
    // into nothing.
    bool dispatchForm = false;
    // The result in this form; empty when the function returns nothing.
    std::optional<TypeDescId> returnType;

    FuncKind funcKind() const { return dispatchForm ? FuncKind::Dispatch : func->funcKind; }
};

// The libraries that the functions and variables of a list or view come from, and the
// members of the types that hold them, held so that the plain pointers to them stay
// good: views hold thousands of functions, and most of them come from one or two
// libraries and a few types.
class Libraries {
public:
    void add(const std::shared_ptr<const LoadedLibrary>& library) {
        if (find(library.get())) return;
        if (held_.empty()) held_.reserve(Usual);
        held_.push_back(library);
    }
    void add(const std::shared_ptr<const LoadedLibrary>& library, const MembersRef& members) {
        add(library);
        hold(members.shared());
    }
    void addAll(const Libraries& other) {
        for (const auto& library : other.held_) add(library);
        for (const auto& members : other.members_) hold(members);
    }
    // The owner of a held library, for references that outlive the view; null for one
    // not held.
    const std::shared_ptr<const LoadedLibrary>* find(const LoadedLibrary* library) const {
        for (const auto& held : held_)
            if (held.get() == library) return &held;
        return nullptr;
    }
    const std::vector<std::shared_ptr<const LoadedLibrary>>& held() const { return held_; }

private:
    void hold(const std::shared_ptr<const TypeMembers>& members) {
        for (const auto& held : members_)
            if (held == members) return;
        if (members_.empty()) members_.reserve(Usual);
        members_.push_back(members);
    }

    // Room made at the first: an interface's chain is IUnknown, IDispatch and itself, from
    // one or two libraries; growing one by one would allocate at every step.
    static constexpr size_t Usual = 4;

    std::vector<std::shared_ptr<const LoadedLibrary>> held_;
    std::vector<std::shared_ptr<const TypeMembers>> members_;
};

// Functions and the libraries that hold them.
struct FunctionList {
    Libraries libraries;
    std::vector<ViewFunction> functions;
};

// Sets `view` to the function exactly as stored. Views are filled where they lie: a
// copy of one built elsewhere costs more than building it.
inline void setStored(ViewFunction& view, const LoadedLibrary& library, const FuncDesc& func) {
    view.library = &library;
    view.func = &func;
    view.paramCount = static_cast<uint32_t>(func.params.size());
    view.dispatchForm = false;
    view.returnType = func.returnType;
}

// The function exactly as stored.
inline ViewFunction storedFunction(const LoadedLibrary& library, const FuncDesc& func) {
    ViewFunction view;
    setStored(view, library, func);
    return view;
}

}  // namespace vantrel
