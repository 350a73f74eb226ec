#include "typelib/view/MemberView.h"

#include <optional>
#include <utility>

#include "typelib/file/SeededHash.h"
#include "typelib/view/DispatchView.h"
#include "typelib/view/InterfaceChain.h"
#include "typelib/imports/ResolveType.h"

namespace vantrel {

namespace {

std::optional<Accessor> accessorFor(int32_t invokeKind) {
    switch (invokeKind) {
        case invoke::PropertyGet: return Accessor::Get;
        case invoke::PropertyPut: return Accessor::Let;
        case invoke::PropertyPutRef: return Accessor::Set;
        default: return std::nullopt;
    }
}

int32_t variableKinds(const VarDesc& var) {
    if (var.varKind == VarKind::Const) return invoke::Constant;
    if (var.flags & varflag::ReadOnly) return invoke::PropertyGet;
    return invoke::PropertyGet | invoke::PropertyPut;
}

int32_t asIndex(size_t position) { return static_cast<int32_t>(position); }

// Member id -> position of the property member that collects its accessors. Open
// addressing in one array: a view is built on every first click on a type, and an
// interface of a large library has hundreds of properties. The ids come from the file,
// so the hash is seeded: chosen ids can't pile up in one run of slots.
class PropertyIndex {
public:
    // Room for `more` further entries without growing.
    void reserve(size_t more) {
        const size_t wanted = (count_ + more) * 2;
        if (wanted <= slots_.size()) return;
        size_t capacity = 16;
        while (capacity < wanted) capacity *= 2;
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(capacity));
        for (const Slot& slot : old)
            if (slot.position != NoIndex) *find(slot.id) = slot;
    }

    // NoIndex when the id has no open property.
    int32_t positionOf(int32_t id) const {
        if (slots_.empty()) return NoIndex;
        return slots_[indexOf(id)].position;
    }

    void set(int32_t id, int32_t position) {
        reserve(1);
        Slot* slot = find(id);
        if (slot->position == NoIndex) ++count_;
        *slot = {id, position};
    }

private:
    struct Slot {
        int32_t id = 0;
        int32_t position = NoIndex;
    };

    size_t indexOf(int32_t id) const {
        const size_t mask = slots_.size() - 1;
        size_t at = static_cast<size_t>(seededHash(static_cast<uint32_t>(id))) & mask;
        while (slots_[at].position != NoIndex && slots_[at].id != id) at = (at + 1) & mask;
        return at;
    }
    Slot* find(int32_t id) { return &slots_[indexOf(id)]; }

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

// Collects members in view order and joins property accessors that share a member id.
class ViewBuilder {
public:
    // Functions of an interface, in order: methods and property accessors.
    void addFunctions(FunctionList list) {
        const size_t first = takeFunctions(std::move(list));
        const size_t end = view_.functions.size();
        properties_.reserve(end - first);
        for (size_t i = first; i < end; ++i) addFunction(asIndex(i));
    }

    // Functions of a source interface: events.
    void addEvents(FunctionList list) {
        const size_t first = takeFunctions(std::move(list));
        const size_t end = view_.functions.size();
        for (size_t i = first; i < end; ++i) {
            const FuncDesc& func = *view_.functions[i].func;
            newMember(func.name, invoke::Event, func.memberId, flagsOf(func)).function = asIndex(i);
        }
    }

    // A variable of `type`, whose `members` hold it.
    void addVariable(const TypeEntry& type, const MembersRef& members, const VarDesc& var, int32_t kinds) {
        view_.libraries.add(type.library(), members);
        view_.variables.push_back({type.library().get(), &var});
        newMember(var.name, kinds, var.memberId, flagsOf(var)).variable =
            asIndex(view_.variables.size() - 1);
    }

    // Room for this many more variables, so that large views are not copied as they grow.
    void reserveVariables(size_t count) {
        view_.variables.reserve(view_.variables.size() + count);
        view_.members.reserve(view_.members.size() + count);
    }

    // Starts from a view built before, whole: only on an empty builder, and only for
    // members that join no accessors with those that follow.
    void startWith(const MemberView& view) { view_ = view; }

    MemberView finish() { return std::move(view_); }

private:
    struct Visibility {
        bool hidden;
        bool restricted;
        bool usable() const { return !hidden && !restricted; }
    };

    static Visibility flagsOf(const FuncDesc& func) {
        return {(func.flags & funcflag::Hidden) != 0, (func.flags & funcflag::Restricted) != 0};
    }
    static Visibility flagsOf(const VarDesc& var) {
        return {(var.flags & varflag::Hidden) != 0, (var.flags & varflag::Restricted) != 0};
    }

    // Appends the functions and gives the index of the first; the first list is taken
    // whole rather than copied.
    size_t takeFunctions(FunctionList list) {
        const size_t first = view_.functions.size();
        view_.libraries.addAll(list.libraries);
        if (first == 0) {
            view_.functions = std::move(list.functions);
        } else {
            view_.functions.insert(view_.functions.end(), list.functions.begin(), list.functions.end());
        }
        view_.members.reserve(view_.members.size() + view_.functions.size() - first);
        return first;
    }

    void addFunction(int32_t functionIndex) {
        const FuncDesc& func = *view_.functions[static_cast<size_t>(functionIndex)].func;
        const std::optional<Accessor> slot = accessorFor(func.invokeKind);
        if (!slot) {
            newMember(func.name, invoke::Func, func.memberId, flagsOf(func)).function = functionIndex;
            return;
        }
        const int32_t open = properties_.positionOf(func.memberId);
        if (open != NoIndex) {
            ViewMember& property = view_.members[static_cast<size_t>(open)];
            if (property.accessor(*slot) == NoIndex) {
                joinAccessor(property, *slot, func, functionIndex);
                return;
            }
        }
        // A second accessor of the same kind starts a property of its own, so that no
        // stored function is lost.
        properties_.set(func.memberId, asIndex(view_.members.size()));
        ViewMember& property = newMember(func.name, func.invokeKind, func.memberId, flagsOf(func));
        property.accessors[static_cast<size_t>(*slot)] = functionIndex;
    }

    ViewMember& newMember(std::string_view name, int32_t kinds, int32_t dispId,
                          Visibility visibility) {
        ViewMember& member = view_.members.emplace_back();
        member.name = name;
        member.invokeKinds = kinds;
        member.dispId = dispId;
        member.hidden = visibility.hidden;
        member.restricted = visibility.restricted;
        member.userKinds = visibility.usable() ? kinds : 0;
        return member;
    }

    // A property is hidden (restricted) only when all its accessors are; the user view
    // shows the accessors that are neither.
    static void joinAccessor(ViewMember& property, Accessor slot, const FuncDesc& func,
                             int32_t functionIndex) {
        const Visibility visibility = flagsOf(func);
        property.accessors[static_cast<size_t>(slot)] = functionIndex;
        property.invokeKinds |= func.invokeKind;
        property.hidden = property.hidden && visibility.hidden;
        property.restricted = property.restricted && visibility.restricted;
        if (visibility.usable()) property.userKinds |= func.invokeKind;
    }

    MemberView view_;
    PropertyIndex properties_;
};

Expected<FunctionList> interfaceFunctions(const TypeEntry& type) {
    if (type.info().kind == TypeKind::Dispatch) return dispatchViewFunctions(type);
    return vtableFunctions(type);
}

Expected<void> addInterfaceMembers(ViewBuilder& builder, const TypeEntry& type) {
    FunctionList functions = VANTREL_TRY(interfaceFunctions(type));
    const TypeInfo& info = type.info();
    const bool withVariables = info.kind == TypeKind::Dispatch && !info.isDual();
    builder.addFunctions(std::move(functions));
    if (!withVariables) return {};
    const MembersRef members = info.members();
    builder.reserveVariables(members.vars().size());
    for (const VarDesc& var : members.vars()) builder.addVariable(type, members, var, variableKinds(var));
    return {};
}

// The coclass interface flagged default (or not) with the wanted source-ness; else the
// first with that source-ness.
const ImplType* pickInterface(const std::vector<ImplType>& implTypes, bool source) {
    const ImplType* first = nullptr;
    for (const ImplType& impl : implTypes) {
        if (((impl.flags & impltypeflag::Source) != 0) != source) continue;
        if (impl.flags & impltypeflag::Default) return &impl;
        if (!first) first = &impl;
    }
    return first;
}

// The interface a coclass names; nothing when it lives in a library that can't be reached.
Expected<std::optional<TypeEntry>> coclassInterface(const TypeEntry& coclass,
                                                    const ImplType* impl) {
    if (!impl) return std::optional<TypeEntry>();
    Expected<TypeEntry> found = resolveTypeHandle(coclass.library(), impl->type);
    if (!found) {
        if (impl->type.kind == TypeHandle::Kind::Imported) return std::optional<TypeEntry>();
        return found.error();
    }
    if (!isInterfaceKind(found->info().kind))
        return damagedLibrary(*coclass.library(), "coclass '" + std::string(coclass.Name()) + "' names '" +
                                                      std::string(found->Name()) + "' as an interface");
    return std::optional<TypeEntry>(std::move(found).value());
}

// The view of `type` that `built` holds, when `type` lives in `library`.
const MemberView* viewBuiltBefore(const TypeEntry& type, const LoadedLibrary& library,
                                  const BuiltViewLookup& built) {
    if (!built || type.library().get() != &library) return nullptr;
    return built(type.index());
}

Expected<void> addCoclassMembers(ViewBuilder& builder, const TypeEntry& coclass, const BuiltViewLookup& built) {
    const std::vector<ImplType>& implTypes = coclass.info().implTypes;
    const std::optional<TypeEntry> incoming =
        VANTREL_TRY(coclassInterface(coclass, pickInterface(implTypes, false)));
    if (incoming) {
        if (const MemberView* view = viewBuiltBefore(*incoming, *coclass.library(), built)) {
            builder.startWith(*view);
        } else {
            VANTREL_CHECK(addInterfaceMembers(builder, *incoming));
        }
    }
    const std::optional<TypeEntry> events =
        VANTREL_TRY(coclassInterface(coclass, pickInterface(implTypes, true)));
    if (events) builder.addEvents(VANTREL_TRY(interfaceFunctions(*events)));
    return {};
}

void addModuleMembers(ViewBuilder& builder, const TypeEntry& module, const MembersRef& members) {
    FunctionList list;
    list.libraries.add(module.library(), members);
    list.functions.reserve(members.funcs().size());
    for (const FuncDesc& func : members.funcs()) setStored(list.functions.emplace_back(), *module.library(), func);
    builder.addFunctions(std::move(list));
    builder.reserveVariables(members.vars().size());
    for (const VarDesc& var : members.vars()) builder.addVariable(module, members, var, variableKinds(var));
}

// Enumerations hold constants whatever their variable kind says; record and union
// fields are properties.
void addVariables(ViewBuilder& builder, const TypeEntry& type, const MembersRef& members) {
    const bool constants = type.info().kind == TypeKind::Enum;
    builder.reserveVariables(members.vars().size());
    for (const VarDesc& var : members.vars())
        builder.addVariable(type, members, var, constants ? invoke::Constant : variableKinds(var));
}

}  // namespace

void ViewMember::describe(MemberItem& item, size_t position, bool fullView) const {
    item.Name = name;
    item.InvokeKinds = fullView ? invokeKinds : userKinds;
    item.MemberId = asIndex(position);
    item.DispId = dispId;
    item.hidden = hidden;
    item.restricted = restricted;
}

Expected<MemberView> buildMemberView(const TypeEntry& type, const BuiltViewLookup& built) {
    const TypeInfo& info = type.info();
    const MembersRef members = info.members();
    if (members.damaged()) return typeMembersError(type, *members.error());
    ViewBuilder builder;
    switch (info.kind) {
        case TypeKind::Interface:
        case TypeKind::Dispatch: VANTREL_CHECK(addInterfaceMembers(builder, type)); break;
        case TypeKind::Coclass: VANTREL_CHECK(addCoclassMembers(builder, type, built)); break;
        case TypeKind::Module: addModuleMembers(builder, type, members); break;
        case TypeKind::Enum:
        case TypeKind::Record:
        case TypeKind::Union: addVariables(builder, type, members); break;
        case TypeKind::Alias: break;
    }
    return builder.finish();
}

}  // namespace vantrel
