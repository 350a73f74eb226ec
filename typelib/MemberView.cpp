#include "typelib/MemberView.h"

#include <optional>
#include <unordered_map>

#include "typelib/DispatchView.h"
#include "typelib/InterfaceChain.h"
#include "typelib/ResolveType.h"

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

// Collects members in view order and joins property accessors that share a member id.
class ViewBuilder {
public:
    void addFunction(ViewFunction function) {
        const FuncDesc& func = *function.func;
        const std::optional<Accessor> slot = accessorFor(func.invokeKind);
        const int32_t functionIndex = pushFunction(std::move(function));
        if (!slot) {
            newMember(func.name, invoke::Func, func.memberId, flagsOf(func)).function = functionIndex;
            return;
        }
        const auto open = openProperties_.find(func.memberId);
        if (open != openProperties_.end()) {
            ViewMember& property = view_.members[open->second];
            if (property.accessor(*slot) == NoIndex) {
                joinAccessor(property, *slot, func, functionIndex);
                return;
            }
        }
        // A second accessor of the same kind starts a property of its own, so that no
        // stored function is lost.
        openProperties_[func.memberId] = view_.members.size();
        ViewMember& property = newMember(func.name, func.invokeKind, func.memberId, flagsOf(func));
        property.accessors[static_cast<size_t>(*slot)] = functionIndex;
    }

    void addEvent(ViewFunction function) {
        const FuncDesc& func = *function.func;
        const int32_t functionIndex = pushFunction(std::move(function));
        newMember(func.name, invoke::Event, func.memberId, flagsOf(func)).function = functionIndex;
    }

    void addVariable(ViewVariable variable, int32_t kinds) {
        const VarDesc& var = *variable.var;
        view_.variables.push_back(std::move(variable));
        newMember(var.name, kinds, var.memberId, flagsOf(var)).variable =
            asIndex(view_.variables.size() - 1);
    }

    // Room for this many more members, so that large views are not copied as they grow.
    void reserve(size_t functions, size_t variables) {
        view_.functions.reserve(view_.functions.size() + functions);
        view_.variables.reserve(view_.variables.size() + variables);
        view_.members.reserve(view_.members.size() + functions + variables);
        openProperties_.reserve(openProperties_.size() + functions);
    }

    MemberView finish() { return std::move(view_); }

private:
    struct Visibility {
        bool hidden;
        bool restricted;
    };

    static Visibility flagsOf(const FuncDesc& func) {
        return {(func.flags & funcflag::Hidden) != 0, (func.flags & funcflag::Restricted) != 0};
    }
    static Visibility flagsOf(const VarDesc& var) {
        return {(var.flags & varflag::Hidden) != 0, (var.flags & varflag::Restricted) != 0};
    }

    int32_t pushFunction(ViewFunction function) {
        view_.functions.push_back(std::move(function));
        return asIndex(view_.functions.size() - 1);
    }

    ViewMember& newMember(const std::string& name, int32_t kinds, int32_t dispId,
                          Visibility visibility) {
        ViewMember& member = view_.members.emplace_back();
        member.item.Name = name;
        member.item.InvokeKinds = kinds;
        member.item.MemberId = asIndex(view_.members.size() - 1);
        member.item.DispId = dispId;
        member.item.hidden = visibility.hidden;
        member.item.restricted = visibility.restricted;
        member.userVisible = !visibility.hidden && !visibility.restricted;
        return member;
    }

    // A property is hidden (restricted) only when all its accessors are; the user view
    // keeps it when any accessor is neither, and then shows all its accessors' bits.
    static void joinAccessor(ViewMember& property, Accessor slot, const FuncDesc& func,
                             int32_t functionIndex) {
        const Visibility visibility = flagsOf(func);
        property.accessors[static_cast<size_t>(slot)] = functionIndex;
        property.item.InvokeKinds |= func.invokeKind;
        property.item.hidden = property.item.hidden && visibility.hidden;
        property.item.restricted = property.item.restricted && visibility.restricted;
        property.userVisible =
            property.userVisible || (!visibility.hidden && !visibility.restricted);
    }

    MemberView view_;
    // Member id -> the property member that collects its accessors.
    std::unordered_map<int32_t, size_t> openProperties_;
};

Expected<std::vector<ViewFunction>> interfaceFunctions(const TypeEntry& type) {
    if (type.info().kind == TypeKind::Dispatch) return dispatchViewFunctions(type);
    return vtableFunctions(type);
}

Expected<void> addInterfaceMembers(ViewBuilder& builder, const TypeEntry& type) {
    std::vector<ViewFunction> functions = VANTREL_TRY(interfaceFunctions(type));
    const TypeInfo& info = type.info();
    const bool withVariables = info.kind == TypeKind::Dispatch && !info.isDual();
    builder.reserve(functions.size(), withVariables ? info.vars.size() : 0);
    for (ViewFunction& function : functions) builder.addFunction(std::move(function));
    if (withVariables)
        for (const VarDesc& var : info.vars)
            builder.addVariable({type.library(), &var}, variableKinds(var));
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
        return damagedLibrary(*coclass.library(), "coclass '" + coclass.Name() + "' names '" +
                                                      found->Name() + "' as an interface");
    return std::optional<TypeEntry>(std::move(found).value());
}

Expected<void> addCoclassMembers(ViewBuilder& builder, const TypeEntry& coclass) {
    const std::vector<ImplType>& implTypes = coclass.info().implTypes;
    const std::optional<TypeEntry> incoming =
        VANTREL_TRY(coclassInterface(coclass, pickInterface(implTypes, false)));
    if (incoming) VANTREL_CHECK(addInterfaceMembers(builder, *incoming));
    const std::optional<TypeEntry> events =
        VANTREL_TRY(coclassInterface(coclass, pickInterface(implTypes, true)));
    if (events) {
        std::vector<ViewFunction> functions = VANTREL_TRY(interfaceFunctions(*events));
        builder.reserve(functions.size(), 0);
        for (ViewFunction& function : functions) builder.addEvent(std::move(function));
    }
    return {};
}

void addModuleMembers(ViewBuilder& builder, const TypeEntry& module) {
    builder.reserve(module.info().funcs.size(), module.info().vars.size());
    for (const FuncDesc& func : module.info().funcs)
        builder.addFunction(storedFunction(module.library(), func));
    for (const VarDesc& var : module.info().vars)
        builder.addVariable({module.library(), &var}, variableKinds(var));
}

// Enumerations hold constants whatever their variable kind says; record and union
// fields are properties.
void addVariables(ViewBuilder& builder, const TypeEntry& type) {
    const bool constants = type.info().kind == TypeKind::Enum;
    builder.reserve(0, type.info().vars.size());
    for (const VarDesc& var : type.info().vars)
        builder.addVariable({type.library(), &var},
                            constants ? invoke::Constant : variableKinds(var));
}

}  // namespace

Expected<MemberView> buildMemberView(const TypeEntry& type) {
    const TypeInfo& info = type.info();
    if (info.memberError) return *info.memberError;
    ViewBuilder builder;
    switch (info.kind) {
        case TypeKind::Interface:
        case TypeKind::Dispatch: VANTREL_CHECK(addInterfaceMembers(builder, type)); break;
        case TypeKind::Coclass: VANTREL_CHECK(addCoclassMembers(builder, type)); break;
        case TypeKind::Module: addModuleMembers(builder, type); break;
        case TypeKind::Enum:
        case TypeKind::Record:
        case TypeKind::Union: addVariables(builder, type); break;
        case TypeKind::Alias: break;
    }
    return builder.finish();
}

}  // namespace vantrel
