#include "FixtureLibrary.h"

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace vantrel::testing {

namespace {

const char* vtName(uint16_t vt) {
    switch (vt) {
        case vt::Empty: return "EMPTY";
        case vt::Null: return "NULL";
        case vt::I2: return "I2";
        case vt::I4: return "I4";
        case vt::R4: return "R4";
        case vt::R8: return "R8";
        case vt::Cy: return "CY";
        case vt::Date: return "DATE";
        case vt::Bstr: return "BSTR";
        case vt::Dispatch: return "DISPATCH";
        case vt::Error: return "ERROR";
        case vt::Bool: return "BOOL";
        case vt::Variant: return "VARIANT";
        case vt::Unknown: return "UNKNOWN";
        case vt::Decimal: return "DECIMAL";
        case vt::I1: return "I1";
        case vt::UI1: return "UI1";
        case vt::UI2: return "UI2";
        case vt::UI4: return "UI4";
        case vt::I8: return "I8";
        case vt::UI8: return "UI8";
        case vt::Int: return "INT";
        case vt::UInt: return "UINT";
        case vt::Void: return "VOID";
        case vt::HResult: return "HRESULT";
        case vt::LpStr: return "LPSTR";
        case vt::LpWStr: return "LPWSTR";
        default: return nullptr;
    }
}

std::string describeTypeAt(const LibraryInfo& library, TypeDescId id, int depth) {
    if (id >= library.typeDescs.size()) return "<bad typedesc " + std::to_string(id) + ">";
    if (depth > 16) return "<too deep>";
    const TypeDesc& desc = library.typeDescs[id];
    switch (desc.vt) {
        case vt::Ptr: return "PTR(" + describeTypeAt(library, desc.element, depth + 1) + ")";
        case vt::SafeArray:
            return "SAFEARRAY(" + describeTypeAt(library, desc.element, depth + 1) + ")";
        case vt::CArray: {
            std::string bounds;
            for (const ArrayBound& bound : desc.bounds) {
                if (!bounds.empty()) bounds += 'x';
                bounds += std::to_string(bound.elements);
                if (bound.lowerBound != 0) bounds += "@" + std::to_string(bound.lowerBound);
            }
            return "CARRAY[" + bounds + "](" + describeTypeAt(library, desc.element, depth + 1) +
                   ")";
        }
        case vt::UserDefined: return describeHandle(library, desc.type);
        default: break;
    }
    const char* name = vtName(desc.vt);
    return name ? name : "VT" + std::to_string(desc.vt);
}

}  // namespace

std::string fixturePath(const std::string& name) { return std::string(VANTREL_FIXTURES_DIR) + "/" + name; }

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Expected<LibraryInfo> readFixture(const std::string& name) {
    const std::string path = fixturePath(name);
    const std::vector<uint8_t> bytes = readFileBytes(path);
    return readTypeLibrary(bytes, path);
}

const LibraryInfo& fixture(const std::string& name) {
    static std::map<std::string, std::unique_ptr<LibraryInfo>> cache;
    auto found = cache.find(name);
    if (found != cache.end()) return *found->second;
    Expected<LibraryInfo> library = readFixture(name);
    if (!library) {
        throw std::runtime_error(name + " does not decode: " + library.error().description);
    }
    auto stored = std::make_unique<LibraryInfo>(std::move(library).value());
    return *cache.emplace(name, std::move(stored)).first->second;
}

const TypeInfo& typeNamed(const LibraryInfo& library, const std::string& name) {
    for (const TypeInfo& type : library.types) {
        if (type.name == name) return type;
    }
    throw std::runtime_error("no type " + name + " in " + library.name);
}

const FuncDesc& funcNamed(const TypeInfo& type, const std::string& name, int32_t invokeKind) {
    const MembersRef typeMembers = type.members();
    for (const FuncDesc& func : typeMembers.funcs()) {
        if (func.name == name && func.invokeKind == invokeKind) return func;
    }
    throw std::runtime_error("no function " + name + " (invoke kind " +
                             std::to_string(invokeKind) + ") in " + std::string(type.name));
}

const VarDesc& varNamed(const TypeInfo& type, const std::string& name) {
    const MembersRef typeMembers = type.members();
    for (const VarDesc& var : typeMembers.vars()) {
        if (var.name == name) return var;
    }
    throw std::runtime_error("no variable " + name + " in " + std::string(type.name));
}

std::string describeType(const LibraryInfo& library, TypeDescId id) {
    return describeTypeAt(library, id, 0);
}

std::string describeHandle(const LibraryInfo& library, TypeHandle handle) {
    switch (handle.kind) {
        case TypeHandle::Kind::None: return "<none>";
        case TypeHandle::Kind::Local: {
            if (handle.index < 0 || static_cast<size_t>(handle.index) >= library.types.size()) {
                return "<bad type " + std::to_string(handle.index) + ">";
            }
            return std::string(library.types[static_cast<size_t>(handle.index)].name);
        }
        case TypeHandle::Kind::Imported: {
            if (handle.index < 0 ||
                static_cast<size_t>(handle.index) >= library.importedTypes.size()) {
                return "<bad import " + std::to_string(handle.index) + ">";
            }
            const ImportedType& imported = library.importedTypes[static_cast<size_t>(handle.index)];
            std::string file = "<bad library>";
            if (imported.library >= 0 &&
                static_cast<size_t>(imported.library) < library.importedLibraries.size()) {
                file = library.importedLibraries[static_cast<size_t>(imported.library)].fileName;
            }
            return file + ":" +
                   (imported.byGuid ? imported.guid.toString()
                                    : "#" + std::to_string(imported.typeIndex));
        }
    }
    return "<?>";
}

std::string describeValue(const std::optional<Variant>& value) {
    if (!value) return "";
    const char* name = vtName(value->vt);
    std::string text = name ? name : "VT" + std::to_string(value->vt);
    text += ':';
    if (const auto* i = std::get_if<int64_t>(&value->value)) {
        text += std::to_string(*i);
    } else if (const auto* u = std::get_if<uint64_t>(&value->value)) {
        text += std::to_string(*u);
    } else if (const auto* d = std::get_if<double>(&value->value)) {
        std::ostringstream number;
        number << *d;
        text += number.str();
    } else if (const auto* s = std::get_if<std::string_view>(&value->value)) {
        text += *s;
    }
    return text;
}

namespace {

std::string invokeName(int32_t invokeKind) {
    switch (invokeKind) {
        case invoke::Func: return "func";
        case invoke::PropertyGet: return "get";
        case invoke::PropertyPut: return "put";
        case invoke::PropertyPutRef: return "putref";
        default: return "invoke" + std::to_string(invokeKind);
    }
}

std::string flagWords(uint16_t flags, const std::pair<uint16_t, const char*>* names, size_t count) {
    std::string words;
    for (size_t i = 0; i < count; ++i) {
        if (!(flags & names[i].first)) continue;
        words += ' ';
        words += names[i].second;
        flags = static_cast<uint16_t>(flags & ~names[i].first);
    }
    if (flags != 0) words += " 0x" + [&] {
        std::ostringstream hex;
        hex << std::hex << flags;
        return hex.str();
    }();
    return words;
}

}  // namespace

std::string describeFunc(const LibraryInfo& library, const FuncDesc& func) {
    static const std::pair<uint16_t, const char*> funcFlags[] = {
        {funcflag::Restricted, "restricted"}, {funcflag::Source, "source"},
        {funcflag::Bindable, "bindable"},     {funcflag::RequestEdit, "requestedit"},
        {funcflag::DisplayBind, "displaybind"}, {funcflag::DefaultBind, "defaultbind"},
        {funcflag::Hidden, "hidden"}};
    static const std::pair<uint16_t, const char*> paramFlags[] = {
        {paramflag::In, "in"},         {paramflag::Out, "out"}, {paramflag::Lcid, "lcid"},
        {paramflag::RetVal, "retval"}, {paramflag::Opt, "opt"}, {paramflag::HasDefault, "hasdefault"}};
    std::string text = std::string(func.name) + " " + invokeName(func.invokeKind) + " -> " +
                       describeType(library, func.returnType) + " (";
    for (size_t i = 0; i < func.params.size(); ++i) {
        const ParamDesc& param = func.params[i];
        if (i > 0) text += ", ";
        text += std::string(param.name) + ": " + describeType(library, param.type) +
                flagWords(param.flags, paramFlags, std::size(paramFlags));
        if (param.defaultValue) text += " = " + describeValue(*param.defaultValue);
    }
    text += ")";
    const std::string flags = flagWords(func.flags, funcFlags, std::size(funcFlags));
    if (!flags.empty()) text += " {" + flags.substr(1) + "}";
    return text;
}

namespace {

void dumpFunc(std::ostream& out, const LibraryInfo& library, const FuncDesc& func,
              bool withLayout) {
    out << "  func " << func.name << " id=" << func.memberId
        << " kind=" << static_cast<int>(func.funcKind) << " invoke=" << func.invokeKind
        << " cc=" << static_cast<int>(func.callConv) << " flags=" << func.flags
        << " opt=" << func.optionalParams << " returns " << describeType(library, func.returnType);
    if (withLayout) out << " vtable=" << func.vtableOffset;
    if (!func.entryName.empty()) out << " entry=" << func.entryName;
    if (func.entryOrdinal) out << " ordinal=" << *func.entryOrdinal;
    if (!func.docString.empty()) out << " doc=" << func.docString;
    out << '\n';
    out << "    " << describeFunc(library, func) << '\n';
}

void dumpVar(std::ostream& out, const LibraryInfo& library, const VarDesc& var, bool withLayout) {
    out << "  var " << var.name << " id=" << var.memberId
        << " kind=" << static_cast<int>(var.varKind) << " flags=" << var.flags << " "
        << describeType(library, var.type);
    if (var.constantValue) out << " = " << describeValue(var.constantValue);
    if (withLayout) out << " offset=" << var.instanceOffset;
    out << '\n';
}

}  // namespace

std::string dumpLibrary(const LibraryInfo& library, bool withLayout) {
    std::ostringstream out;
    out << "library " << library.name << " " << library.libid.toString() << " lcid=" << library.lcid
        << " v" << library.majorVersion << "." << library.minorVersion
        << " flags=" << library.flags << " doc=" << library.docString
        << " dispatch=" << describeHandle(library, library.dispatchType) << '\n';
    if (withLayout) out << "syskind=" << static_cast<int>(library.sysKind) << '\n';
    for (const ImportedLibrary& imported : library.importedLibraries) {
        out << "imports " << imported.fileName << " " << imported.libid.toString() << '\n';
    }
    for (const TypeInfo& type : library.types) {
        const MembersRef typeMembers = type.members();
        out << "type " << type.name << " kind=" << static_cast<int>(type.kind) << " "
            << type.guid.toString() << " flags=" << type.flags << " v" << type.majorVersion
            << "." << type.minorVersion << " base=" << describeHandle(library, type.baseType)
            << " inherited=" << type.inheritedFunctions << " doc=" << type.docString;
        if (withLayout) {
            out << " align=" << type.alignment << " size=" << type.sizeInstance
                << " vft=" << type.sizeVtable;
        }
        if (type.aliasType) out << " alias=" << describeType(library, *type.aliasType);
        if (!type.dllName.empty()) out << " dll=" << type.dllName;
        if (typeMembers.error()) out << " ERROR " << typeMembers.error()->description;
        out << '\n';
        for (const ImplType& impl : type.implTypes) {
            out << "  implements " << describeHandle(library, impl.type) << " flags=" << impl.flags
                << '\n';
        }
        for (const FuncDesc& func : typeMembers.funcs()) dumpFunc(out, library, func, withLayout);
        for (const VarDesc& var : typeMembers.vars()) dumpVar(out, library, var, withLayout);
    }
    return out.str();
}

}  // namespace vantrel::testing
