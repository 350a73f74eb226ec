// The member view of a type: its members as a user of the type sees them, in order, with
// the accessors of one property joined into one member. Built when first asked for;
// TypeLibrary keeps the last few.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"
#include "typelib/view/ViewFunction.h"

namespace vantrel {

struct ViewVariable {
    const LoadedLibrary* library = nullptr;  // holds `var` and its type descriptions
    const VarDesc* var = nullptr;
};

// The accessor slots of a property member.
enum class Accessor : uint8_t { Get = 0, Let = 1, Set = 2 };
inline constexpr size_t AccessorCount = 3;

inline constexpr int32_t NoIndex = -1;

struct ViewMember {
    // The name of its first function or variable, held by a library the view holds.
    std::string_view name;
    int32_t invokeKinds = 0;  // as MemberItem::InvokeKinds
    int32_t dispId = 0;
    bool hidden = false;
    bool restricted = false;
    // A property is hidden (restricted) only when all its accessors are.
    // The invoke kinds of its parts that are neither hidden nor restricted: what the user
    // view shows of it. A property's accessors count one by one; 0 leaves the member out.
    int32_t userKinds = 0;
    // A method or an event: its function, an index into MemberView::functions.
    int32_t function = NoIndex;
    // A property made of functions: its accessors by Accessor slot.
    std::array<int32_t, AccessorCount> accessors{NoIndex, NoIndex, NoIndex};
    // A variable, field or constant: an index into MemberView::variables.
    int32_t variable = NoIndex;

    int32_t accessor(Accessor slot) const { return accessors[static_cast<size_t>(slot)]; }
    bool userVisible() const { return userKinds != 0; }
    // Fills `item` as GetMembers lists the member, with the invoke kinds of the full view
    // or of the user view; its MemberId is its position in the full view. Filled in
    // place: a list holds thousands.
    void describe(MemberItem& item, size_t position, bool fullView) const;
};

struct MemberView {
    Libraries libraries;  // of its functions and variables
    std::vector<ViewFunction> functions;
    std::vector<ViewVariable> variables;
    std::vector<ViewMember> members;  // the full view, every member
};

// The view already built of another type of the same library (by type index), or null.
using BuiltViewLookup = std::function<const MemberView*(int32_t typeIndex)>;

// Interface: its bases' functions then its own. Dual and dispinterface: the dispatch
// view (a dispinterface's properties after its functions). Coclass: its default
// interface's view, then the functions of its default source interface as events; the
// interface's view is taken from `built` when it has it, since a library usually lists a
// coclass right after its interface and a click on one often follows a click on the other.
// Enumeration: constants. Module: functions, then variables (constants as constants).
// Record and union: fields as properties. Alias: nothing.
Expected<MemberView> buildMemberView(const TypeEntry& type, const BuiltViewLookup& built = {});

}  // namespace vantrel
