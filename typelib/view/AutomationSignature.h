// The automation view of a member: the parameters a caller passes and the type it gets
// back, as Basic shows them.
#pragma once

#include <cstdint>

#include "typelib/file/Error.h"
#include "typelib/view/MemberView.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

// A function: retval and lcid parameters are not listed, the retval's pointee is the
// result; without one, an HRESULT result (of a function not stored as a dispatch
// function) is nothing. With `assignedValueIsResult` (a property's Let or Set accessor)
// the last listed parameter, the assigned value, is the result instead.
// Fills `entry`; `library` holds the function (function.library).
void functionSignature(const std::shared_ptr<const LoadedLibrary>& library,
                       const ViewFunction& function, MemberEntry& entry,
                       bool assignedValueIsResult = false);

// `invokeKinds` 0 describes a property by the first of its Get, Let and Set accessors
// that the user view shows (any, when it shows none); a Let or Set accessor's last
// parameter, the assigned value, then gives the result. Other values pick the accessor of that kind; an error when the member has
// none. Variables, fields and constants have no parameters and their type as result.
Expected<MemberEntry> memberSignature(const MemberView& view, const ViewMember& member,
                                      int32_t invokeKinds);

}  // namespace vantrel
