// The dispatch view of a dual interface or a dispinterface: the functions a client calls
// through IDispatch. For a dual it is its base chain flattened from the root, each
// interface's own functions converted to the dispatch form.
#pragma once

#include <memory>
#include <vector>

#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"
#include "typelib/view/ViewFunction.h"

namespace vantrel {

// Turns a function set as stored into its dispatch form, where it lies: a trailing
// retval parameter is removed and its pointee becomes the result; otherwise an HRESULT
// result becomes nothing. An lcid parameter left last is removed too. The remaining
// parameters, flags and member id stay as they are.
void toDispatchForm(ViewFunction& view);

// A dual: every function of its chain in dispatch form. A pure dispinterface: the
// inherited ones (IUnknown's and IDispatch's, where reachable) in dispatch form, then
// its own as stored, which are dispatch functions already. A dispinterface that wraps an
// interface: the wrapped interface's view, as for a dual (an interface on IUnknown
// brings IUnknown's functions only).
Expected<FunctionList> dispatchViewFunctions(const TypeEntry& type);

// An interface: its bases' functions, recursively, then its own, all as stored.
Expected<FunctionList> vtableFunctions(const TypeEntry& type);

}  // namespace vantrel
