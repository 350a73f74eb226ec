#include "report/json/LibraryDiff.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <unordered_map>

#include "report/json/LibraryJson.h"
#include "report/json/TypeNaming.h"

namespace vantrel::json {

namespace {

constexpr uint8_t EarlyAndLate = breaks::Early | breaks::Late;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string hexText(uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

std::string versionText(uint16_t major, uint16_t minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}

std::string variantText(const Variant& value) {
    std::string text = BuiltinTypeName(value.vt) + " ";
    if (const auto* i = std::get_if<int64_t>(&value.value)) return text + std::to_string(*i);
    if (const auto* u = std::get_if<uint64_t>(&value.value)) return text + std::to_string(*u);
    if (const auto* d = std::get_if<double>(&value.value)) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", *d);
        return text + buffer;
    }
    if (const auto* s = std::get_if<std::string_view>(&value.value)) return text + "\"" + std::string(*s) + "\"";
    return text + "(none)";
}

// Which clients reach a type's members: vtable callers, IDispatch callers or both.
uint8_t clientsOf(const TypeInfo& type) {
    switch (type.kind) {
    case TypeKind::Dispatch: return type.isDual() ? EarlyAndLate : breaks::Late;
    case TypeKind::Coclass: return EarlyAndLate;
    default: return breaks::Early;
    }
}

// Type flags whose loss takes a way of reaching the type away.
uint8_t typeFlagBreaks(uint16_t oldFlags, uint16_t newFlags) {
    const auto lost = static_cast<uint16_t>(oldFlags & ~newFlags);
    uint8_t result = breaks::Nobody;
    if (lost & (typeflag::Dual | typeflag::OleAutomation)) result |= breaks::Early;
    if (lost & (typeflag::CanCreate | typeflag::Dispatchable)) result |= EarlyAndLate;
    return result;
}

// Pairs the items of two lists that share a key, in order: the k-th old item with a key
// goes with the k-th new one with that key. Empty keys pair with nothing; items already
// paired (match >= 0, taken) stay as they are.
void pairInOrder(const std::vector<std::string>& oldKeys, const std::vector<std::string>& newKeys,
                 std::vector<int32_t>& match, std::vector<bool>& taken) {
    std::unordered_map<std::string, std::deque<int32_t>> open;
    for (size_t j = 0; j < newKeys.size(); ++j)
        if (!taken[j] && !newKeys[j].empty()) open[newKeys[j]].push_back(static_cast<int32_t>(j));
    for (size_t i = 0; i < oldKeys.size(); ++i) {
        if (match[i] >= 0 || oldKeys[i].empty()) continue;
        const auto found = open.find(oldKeys[i]);
        if (found == open.end() || found->second.empty()) continue;
        match[i] = found->second.front();
        found->second.pop_front();
        taken[static_cast<size_t>(match[i])] = true;
    }
}

template <class Item, class KeyOf>
std::vector<std::string> keysOf(const std::vector<Item>& items, KeyOf keyOf) {
    std::vector<std::string> keys;
    keys.reserve(items.size());
    for (const Item& item : items) keys.push_back(keyOf(item));
    return keys;
}

struct Pairing {
    std::vector<int32_t> match;  // per old item: its new item, or -1
    std::vector<bool> taken;     // per new item: paired with an old one
};

template <class Item>
Pairing pairingFor(const std::vector<Item>& oldItems, const std::vector<Item>& newItems) {
    return Pairing{std::vector<int32_t>(oldItems.size(), -1), std::vector<bool>(newItems.size())};
}

std::string functionKey(const FuncDesc& func) {
    return lowered(func.name) + "#" + std::to_string(func.invokeKind);
}

std::string functionPath(const TypeInfo& type, const FuncDesc& func) {
    std::string path = std::string(type.name) + "." + std::string(func.name);
    if (func.invokeKind != invoke::Func) path += " [" + std::string(InvokeKindName(func.invokeKind)) + "]";
    return path;
}

// "#" followed by a number, appended rather than added: "#" + std::to_string(...) trips
// GCC 12's -Wrestrict at -O3.
std::string numbered(uint64_t number) {
    std::string text = "#";
    text += std::to_string(number);
    return text;
}

std::string parameterPath(const std::string& function, const ParamDesc& param, size_t index) {
    return function + "(" + (param.name.empty() ? numbered(index + 1) : std::string(param.name)) + ")";
}

constexpr uint16_t DirectionFlags =
    paramflag::In | paramflag::Out | paramflag::Lcid | paramflag::RetVal;

bool isOptional(const ParamDesc& param) {
    return (param.flags & (paramflag::Opt | paramflag::HasDefault)) != 0;
}

uint8_t variableClients(const VarDesc& var) {
    return var.varKind == VarKind::Dispatch ? breaks::Late : breaks::Early;
}

class Differ {
public:
    Differ(const TypeLibrary& oldLibrary, const TypeLibrary& newLibrary)
        : old_(oldLibrary.info()),
          new_(newLibrary.info()),
          oldNames_(oldLibrary.loaded()),
          newNames_(newLibrary.loaded()) {}

    std::vector<Change> run() {
        compareLibrary();
        compareTypes();
        return std::move(changes_);
    }

private:
    void add(ChangeKind kind, uint8_t whom, std::string subject, std::string path,
             std::string aspect = {}, std::string oldValue = {}, std::string newValue = {}) {
        changes_.push_back(Change{kind, whom, std::move(subject), std::move(path), std::move(aspect),
                                  std::move(oldValue), std::move(newValue)});
    }

    // Records a change of one aspect when its texts differ.
    void compare(uint8_t whom, const char* subject, const std::string& path, const char* aspect,
                 std::string_view oldValue, std::string_view newValue) {
        if (oldValue != newValue)
            add(ChangeKind::Changed, whom, subject, path, aspect, std::string(oldValue), std::string(newValue));
    }

    template <class Number>
    void compareNumber(uint8_t whom, const char* subject, const std::string& path, const char* aspect,
                       Number oldValue, Number newValue) {
        if (oldValue != newValue)
            add(ChangeKind::Changed, whom, subject, path, aspect, std::to_string(oldValue),
                std::to_string(newValue));
    }

    void compareLibrary() {
        const std::string& path = new_.name;
        compare(breaks::Nobody, "library", path, "name", old_.name, new_.name);
        // Early-bound clients find the library they were built against by its LIBID.
        compare(breaks::Early, "library", path, "LIBID", old_.libid.toString(), new_.libid.toString());
        compare(breaks::Nobody, "library", path, "version", versionText(old_.majorVersion, old_.minorVersion),
                versionText(new_.majorVersion, new_.minorVersion));
        compare(breaks::Nobody, "library", path, "LCID", hexText(old_.lcid), hexText(new_.lcid));
        compareNumber(breaks::Nobody, "library", path, "system kind", static_cast<int>(old_.sysKind),
                      static_cast<int>(new_.sysKind));
        compare(breaks::Nobody, "library", path, "flags", hexText(old_.flags), hexText(new_.flags));
        compare(breaks::Nobody, "library", path, "doc string", old_.docString, new_.docString);
        compare(breaks::Nobody, "library", path, "help file", old_.helpFile, new_.helpFile);
        compareNumber(breaks::Nobody, "library", path, "help context", old_.helpContext, new_.helpContext);
    }

    void compareTypes() {
        Pairing pairs = pairingFor(old_.types, new_.types);
        const auto byGuid = [](const TypeInfo& type) {
            return type.guid.isNull() ? std::string() : type.guid.toString();
        };
        const auto byName = [](const TypeInfo& type) { return lowered(type.name); };
        pairInOrder(keysOf(old_.types, byGuid), keysOf(new_.types, byGuid), pairs.match, pairs.taken);
        pairInOrder(keysOf(old_.types, byName), keysOf(new_.types, byName), pairs.match, pairs.taken);
        for (size_t i = 0; i < old_.types.size(); ++i) {
            const TypeInfo& type = old_.types[i];
            if (pairs.match[i] < 0)
                add(ChangeKind::Removed, clientsOf(type), "type", std::string(type.name));
            else
                compareType(type, new_.types[static_cast<size_t>(pairs.match[i])]);
        }
        for (size_t j = 0; j < new_.types.size(); ++j)
            if (!pairs.taken[j]) add(ChangeKind::Added, breaks::Nobody, "type", std::string(new_.types[j].name));
    }

    static std::string referenceText(TypeNaming& naming, const TypeHandle& handle) {
        return handle.kind == TypeHandle::Kind::None ? std::string() : naming.nameOf(handle);
    }

    void compareType(const TypeInfo& before, const TypeInfo& after) {
        const std::string path(after.name);
        const uint8_t clients = clientsOf(before);
        compare(breaks::Nobody, "type", path, "name", before.name, after.name);
        compare(EarlyAndLate, "type", path, "kind", std::string(TypeKindName(before.kind)),
                std::string(TypeKindName(after.kind)));
        compare(clients, "type", path, "GUID", before.guid.toString(), after.guid.toString());
        compare(typeFlagBreaks(before.flags, after.flags), "type", path, "flags", hexText(before.flags),
                hexText(after.flags));
        compare(breaks::Nobody, "type", path, "version", versionText(before.majorVersion, before.minorVersion),
                versionText(after.majorVersion, after.minorVersion));
        compare(breaks::Nobody, "type", path, "doc string", before.docString, after.docString);
        compareNumber(breaks::Nobody, "type", path, "help context", before.helpContext, after.helpContext);
        if (before.kind == TypeKind::Record || before.kind == TypeKind::Union) {
            compareNumber(breaks::Early, "type", path, "size", before.sizeInstance, after.sizeInstance);
            compareNumber(breaks::Early, "type", path, "alignment", before.alignment, after.alignment);
        }
        compare(clients, "type", path, "base type", referenceText(oldNames_, before.baseType),
                referenceText(newNames_, after.baseType));
        compare(breaks::Early, "type", path, "aliased type",
                before.aliasType ? oldNames_.text(*before.aliasType) : std::string(),
                after.aliasType ? newNames_.text(*after.aliasType) : std::string());
        compare(breaks::Early, "type", path, "DLL", before.dllName, after.dllName);
        compareInterfaces(before, after);
        const MembersRef oldMembers = before.members();
        const MembersRef newMembers = after.members();
        const std::string oldError = oldMembers.damaged() ? oldMembers.error()->description : std::string();
        const std::string newError = newMembers.damaged() ? newMembers.error()->description : std::string();
        compare(newMembers.damaged() ? clients : breaks::Nobody, "type", path, "damage", oldError, newError);
        if (oldMembers.damaged() || newMembers.damaged()) return;
        compareFunctions(before, oldMembers.funcs(), after, newMembers.funcs(), clients);
        compareVariables(after, oldMembers.vars(), newMembers.vars());
    }

    void compareInterfaces(const TypeInfo& before, const TypeInfo& after) {
        const auto keys = [](TypeNaming& naming, const TypeInfo& type) {
            std::vector<std::string> out;
            for (const ImplType& impl : type.implTypes) out.push_back(lowered(referenceText(naming, impl.type)));
            return out;
        };
        Pairing pairs = pairingFor(before.implTypes, after.implTypes);
        pairInOrder(keys(oldNames_, before), keys(newNames_, after), pairs.match, pairs.taken);
        for (size_t i = 0; i < before.implTypes.size(); ++i) {
            const ImplType& impl = before.implTypes[i];
            const std::string path = std::string(after.name) + "." + referenceText(oldNames_, impl.type);
            if (pairs.match[i] < 0) {
                add(ChangeKind::Removed, EarlyAndLate, "interface", path);
                continue;
            }
            const ImplType& now = after.implTypes[static_cast<size_t>(pairs.match[i])];
            // Which interface is the default or the event source decides what clients get.
            constexpr int32_t Roles = impltypeflag::Default | impltypeflag::Source;
            const uint8_t whom = ((impl.flags ^ now.flags) & Roles) ? EarlyAndLate : breaks::Nobody;
            compare(whom, "interface", path, "flags", hexText(static_cast<uint32_t>(impl.flags)),
                    hexText(static_cast<uint32_t>(now.flags)));
        }
        for (size_t j = 0; j < after.implTypes.size(); ++j)
            if (!pairs.taken[j])
                add(ChangeKind::Added, breaks::Nobody, "interface",
                    std::string(after.name) + "." + referenceText(newNames_, after.implTypes[j].type));
    }

    void compareFunctions(const TypeInfo& before, const std::vector<FuncDesc>& oldFuncs, const TypeInfo& after,
                          const std::vector<FuncDesc>& newFuncs, uint8_t clients) {
        Pairing pairs = pairingFor(oldFuncs, newFuncs);
        pairInOrder(keysOf(oldFuncs, functionKey), keysOf(newFuncs, functionKey), pairs.match,
                    pairs.taken);
        for (size_t i = 0; i < oldFuncs.size(); ++i) {
            const FuncDesc& func = oldFuncs[i];
            if (pairs.match[i] < 0)
                add(ChangeKind::Removed, clients, "function", functionPath(before, func));
            else
                compareFunction(after, func, newFuncs[static_cast<size_t>(pairs.match[i])], clients);
        }
        // A function added at the end changes nobody's slots; one added before others moves
        // them, and their slot changes say so.
        for (size_t j = 0; j < newFuncs.size(); ++j)
            if (!pairs.taken[j])
                add(ChangeKind::Added, breaks::Nobody, "function", functionPath(after, newFuncs[j]));
    }

    static bool hasSlot(const TypeInfo& type, const FuncDesc& func) {
        return type.kind != TypeKind::Module && func.funcKind != FuncKind::Dispatch &&
               func.funcKind != FuncKind::Static;
    }

    void compareFunction(const TypeInfo& type, const FuncDesc& before, const FuncDesc& after,
                         uint8_t clients) {
        const std::string path = functionPath(type, after);
        const uint8_t early = clients & breaks::Early;
        if (hasSlot(type, before) || hasSlot(type, after))
            compareNumber(early, "function", path, "vtable slot",
                          before.vtableOffset / static_cast<int>(old_.pointerSize()),
                          after.vtableOffset / static_cast<int>(new_.pointerSize()));
        compareNumber(static_cast<uint8_t>(clients & breaks::Late), "function", path, "member id",
                      before.memberId, after.memberId);
        compareNumber(early, "function", path, "function kind", static_cast<int>(before.funcKind),
                      static_cast<int>(after.funcKind));
        compareNumber(early, "function", path, "calling convention", before.callConv, after.callConv);
        compare(clients, "function", path, "return type", oldNames_.text(before.returnType),
                newNames_.text(after.returnType));
        compare(breaks::Nobody, "function", path, "flags", hexText(before.flags), hexText(after.flags));
        compare(breaks::Nobody, "function", path, "doc string", before.docString, after.docString);
        compareNumber(breaks::Nobody, "function", path, "help context", before.helpContext, after.helpContext);
        compare(early, "function", path, "entry point", entryText(before), entryText(after));
        compareParameters(path, before, after, clients);
    }

    static std::string entryText(const FuncDesc& func) {
        if (!func.entryName.empty()) return std::string(func.entryName);
        return func.entryOrdinal ? numbered(*func.entryOrdinal) : std::string();
    }

    void compareParameters(const std::string& function, const FuncDesc& before, const FuncDesc& after,
                           uint8_t clients) {
        const uint8_t early = clients & breaks::Early;
        const size_t common = std::min(before.params.size(), after.params.size());
        for (size_t p = 0; p < common; ++p) {
            const ParamDesc& was = before.params[p];
            const ParamDesc& is = after.params[p];
            const std::string path = parameterPath(function, is, p);
            compare(clients, "parameter", path, "type", oldNames_.text(was.type), newNames_.text(is.type));
            const bool directionChanged = ((was.flags ^ is.flags) & DirectionFlags) != 0;
            const bool becameRequired = isOptional(was) && !isOptional(is);
            compare(directionChanged || becameRequired ? clients : breaks::Nobody, "parameter", path,
                    "flags", hexText(was.flags), hexText(is.flags));
            // Early-bound callers carry the default they were built with.
            compare(early, "parameter", path, "default",
                    was.defaultValue ? variantText(*was.defaultValue) : std::string(),
                    is.defaultValue ? variantText(*is.defaultValue) : std::string());
            // Late-bound callers may pass arguments by name.
            compare(clients & breaks::Late, "parameter", path, "name", std::string(was.name),
                    std::string(is.name));
        }
        for (size_t p = common; p < after.params.size(); ++p)
            add(ChangeKind::Added, isOptional(after.params[p]) ? early : clients, "parameter",
                parameterPath(function, after.params[p], p));
        for (size_t p = common; p < before.params.size(); ++p)
            add(ChangeKind::Removed, clients, "parameter", parameterPath(function, before.params[p], p));
    }

    void compareVariables(const TypeInfo& after, const std::vector<VarDesc>& oldVars, const std::vector<VarDesc>& newVars) {
        const auto byName = [](const VarDesc& var) { return lowered(var.name); };
        Pairing pairs = pairingFor(oldVars, newVars);
        pairInOrder(keysOf(oldVars, byName), keysOf(newVars, byName), pairs.match, pairs.taken);
        for (size_t i = 0; i < oldVars.size(); ++i) {
            const VarDesc& var = oldVars[i];
            const std::string path = std::string(after.name) + "." + std::string(var.name);
            if (pairs.match[i] < 0) {
                add(ChangeKind::Removed, variableClients(var), "variable", path);
                continue;
            }
            compareVariable(path, var, newVars[static_cast<size_t>(pairs.match[i])]);
        }
        for (size_t j = 0; j < newVars.size(); ++j)
            if (!pairs.taken[j])
                add(ChangeKind::Added, breaks::Nobody, "variable", std::string(after.name) + "." + std::string(newVars[j].name));
    }

    void compareVariable(const std::string& path, const VarDesc& before, const VarDesc& after) {
        const uint8_t clients = variableClients(before);
        compareNumber(static_cast<uint8_t>(clients & breaks::Late), "variable", path, "member id",
                      before.memberId, after.memberId);
        compareNumber(clients, "variable", path, "variable kind", static_cast<int>(before.varKind),
                      static_cast<int>(after.varKind));
        compare(clients, "variable", path, "type", oldNames_.text(before.type), newNames_.text(after.type));
        // Constants are compiled into early-bound clients.
        compare(clients, "variable", path, "value",
                before.constantValue ? variantText(*before.constantValue) : std::string(),
                after.constantValue ? variantText(*after.constantValue) : std::string());
        if (before.varKind == VarKind::PerInstance)
            compareNumber(breaks::Early, "variable", path, "offset", before.instanceOffset,
                          after.instanceOffset);
        const bool becameReadOnly = !(before.flags & varflag::ReadOnly) && (after.flags & varflag::ReadOnly);
        compare(becameReadOnly ? clients : breaks::Nobody, "variable", path, "flags", hexText(before.flags),
                hexText(after.flags));
        compare(breaks::Nobody, "variable", path, "doc string", before.docString, after.docString);
        compareNumber(breaks::Nobody, "variable", path, "help context", before.helpContext, after.helpContext);
    }

    const LibraryInfo& old_;
    const LibraryInfo& new_;
    TypeNaming oldNames_;
    TypeNaming newNames_;
    std::vector<Change> changes_;
};

}  // namespace

std::vector<Change> DiffLibraries(const TypeLibrary& oldLibrary, const TypeLibrary& newLibrary) {
    return Differ(oldLibrary, newLibrary).run();
}

Verdict VerdictOf(const std::vector<Change>& changes) {
    if (changes.empty()) return Verdict::Same;
    for (const Change& change : changes)
        if (change.breaks != breaks::Nobody) return Verdict::Breaking;
    return Verdict::Compatible;
}

}  // namespace vantrel::json
