// The chain of base interfaces of an interface, a dual or a dispinterface.
#pragma once

#include <vector>

#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

// An interface, a dual or a dispinterface: the kinds that have functions and bases.
bool isInterfaceKind(TypeKind kind);

// The type and its bases, the root first and the type last. A pure dispinterface's base
// is IDispatch (the library's reference to it). A base in another library that can't be
// reached ends the chain: it and its own bases contribute nothing. Errors: a cycle of
// bases, an absurdly deep chain, a base that is no interface, or a damaged member block.
Expected<std::vector<TypeEntry>> baseChain(const TypeEntry& type);

}  // namespace vantrel
