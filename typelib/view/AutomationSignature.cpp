#include "typelib/view/AutomationSignature.h"

#include <algorithm>
#include <array>
#include <optional>

#include "typelib/model/TypeDescLookup.h"

namespace vantrel {

namespace {

TypeRef declaredResult(const std::shared_ptr<const LoadedLibrary>& library,
                       const ViewFunction& function) {
    if (!function.returnType) return TypeRef::Void();
    if (isHResult(library->info, *function.returnType) && function.funcKind() != FuncKind::Dispatch)
        return TypeRef::Void();
    return TypeRef(library, *function.returnType);
}

// Constant-initialised: no guard to pass on every look-up.
const std::shared_ptr<const LoadedLibrary> noLibrary;

// The owner of a function's or variable's library, which the view holds.
const std::shared_ptr<const LoadedLibrary>& ownerOf(const MemberView& view, const LoadedLibrary* library) {
    const std::shared_ptr<const LoadedLibrary>* owner = view.libraries.find(library);
    return owner ? *owner : noLibrary;
}

Error noSuchAccessor(const ViewMember& member, int32_t invokeKinds) {
    return makeError(errc::ElementNotFound, "Member '" + std::string(member.name) +
                                                "' has no accessor of invoke kind " +
                                                std::to_string(invokeKinds));
}

struct AccessorChoice {
    Accessor slot;
    int32_t invokeKind;
};
constexpr std::array<AccessorChoice, AccessorCount> AccessorOrder{{
    {Accessor::Get, invoke::PropertyGet},
    {Accessor::Let, invoke::PropertyPut},
    {Accessor::Set, invoke::PropertyPutRef},
}};

// InvokeKinds 0: the first accessor that the user view shows, else the first there is.
std::optional<Accessor> chooseAccessor(const ViewMember& member, int32_t invokeKinds) {
    const int32_t wanted = invokeKinds != 0 ? invokeKinds
                           : member.userKinds != 0 ? member.userKinds
                                                   : member.invokeKinds;
    for (const AccessorChoice& choice : AccessorOrder)
        if ((wanted & choice.invokeKind) != 0 && member.accessor(choice.slot) != NoIndex) return choice.slot;
    return std::nullopt;
}

std::optional<Error> describeProperty(const MemberView& view, const ViewMember& member,
                                     int32_t invokeKinds, MemberEntry& entry) {
    const std::optional<Accessor> slot = chooseAccessor(member, invokeKinds);
    if (!slot) return noSuchAccessor(member, invokeKinds);
    const ViewFunction& function = view.functions[member.accessor(*slot)];
    functionSignature(ownerOf(view, function.library), function, entry,
                      /*assignedValueIsResult=*/*slot != Accessor::Get);
    return std::nullopt;
}

std::optional<Error> describeMember(const MemberView& view, const ViewMember& member,
                                   int32_t invokeKinds, MemberEntry& entry) {
    if (member.variable == NoIndex && member.function == NoIndex)
        return describeProperty(view, member, invokeKinds, entry);
    if (invokeKinds != 0 && (invokeKinds & member.invokeKinds) == 0)
        return noSuchAccessor(member, invokeKinds);
    if (member.function != NoIndex) {
        const ViewFunction& function = view.functions[member.function];
        functionSignature(ownerOf(view, function.library), function, entry);
        return std::nullopt;
    }
    const ViewVariable& variable = view.variables[member.variable];
    entry.ReturnType = TypeRef(ownerOf(view, variable.library), variable.var->type);
    return std::nullopt;
}

}  // namespace

void functionSignature(const std::shared_ptr<const LoadedLibrary>& library,
                       const ViewFunction& function, MemberEntry& entry, bool assignedValueIsResult) {
    const FuncDesc& func = *function.func;
    const LibraryInfo& info = library->info;
    const size_t count = std::min<size_t>(function.paramCount, func.params.size());
    std::vector<ParameterEntry> parameters;
    parameters.reserve(count);
    std::optional<TypeRef> result;
    for (size_t i = 0; i < count; ++i) {
        const ParamDesc& param = func.params[i];
        if (param.flags & paramflag::RetVal) {
            if (!result) result = TypeRef(library, pointee(info, param.type));
            continue;
        }
        if (param.flags & paramflag::Lcid) continue;
        parameters.push_back({param.name, TypeRef(library, param.type), param.flags});
    }
    if (assignedValueIsResult && !parameters.empty()) {
        entry.ReturnType = std::move(parameters.back().Type);
        parameters.pop_back();
    } else {
        entry.ReturnType = result ? std::move(*result) : declaredResult(library, function);
    }
    entry.Parameters = Collection<ParameterEntry>(std::move(parameters));
}

// Built in the result it returns, not copied into it: a walk over a large library asks
// for tens of thousands of members.
Expected<MemberEntry> memberSignature(const MemberView& view, const ViewMember& member,
                                      int32_t invokeKinds) {
    Expected<MemberEntry> result(std::in_place);
    if (std::optional<Error> refused = describeMember(view, member, invokeKinds, result.value()))
        result = std::move(*refused);
    return result;
}

}  // namespace vantrel
