#include "tools/conformance/OurDump.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/conformance/DumpText.h"
#include "typelib/view/DispatchView.h"
#include "typelib/imports/ImportResolver.h"

namespace vantrel::conformance {

namespace {

std::string variantText(const Variant& v) {
    std::string text = std::to_string(v.vt) + ":";
    if (const auto* i = std::get_if<int64_t>(&v.value)) return text + std::to_string(*i);
    if (const auto* u = std::get_if<uint64_t>(&v.value)) return text + std::to_string(*u);
    if (const auto* d = std::get_if<double>(&v.value))
        return text + doubleText(*d, v.vt == vt::R4 ? 9 : 17);
    if (const auto* s = std::get_if<std::string_view>(&v.value)) return text + quoted(*s);
    return text;
}

bool isPut(int32_t invokeKind) {
    return (invokeKind & (invoke::PropertyPut | invoke::PropertyPutRef)) != 0;
}

// The platform names parameters by member id, so names are compared only for member ids
// that one function of the view carries.
std::vector<int32_t> sharedMemberIds(const std::vector<ViewFunction>& functions) {
    std::vector<int32_t> ids;
    ids.reserve(functions.size());
    for (const ViewFunction& f : functions) ids.push_back(f.func->memberId);
    std::sort(ids.begin(), ids.end());
    std::vector<int32_t> shared;
    for (size_t i = 1; i < ids.size(); ++i)
        if (ids[i] == ids[i - 1] && (shared.empty() || shared.back() != ids[i]))
            shared.push_back(ids[i]);
    return shared;
}

// LIBFLAG_FHASDISKIMAGE: the library exists in a file, as every library we read does.
constexpr uint16_t kHasDiskImage = 0x8;

class Dumper {
public:
    explicit Dumper(const TypeLibrary& library) : library_(library.loaded()) {}

    std::string dump() {
        const LibraryInfo& info = library_->info;
        out_ += "library name=" + quoted(info.name) + " libid=" + info.libid.toString() +
                " lcid=" + hex(info.lcid) + " syskind=" +
                std::to_string(static_cast<int>(info.sysKind)) + " version=" +
                std::to_string(info.majorVersion) + "." + std::to_string(info.minorVersion) +
                " flags=" + hex(info.flags | kHasDiskImage) + "\n";
        for (size_t i = 0; i < info.types.size(); ++i) dumpType(static_cast<int32_t>(i));
        return std::move(out_);
    }

private:
    // A referenced type's name, "ext:" first when another library (by libid) defines it.
    std::string handleText(const std::shared_ptr<const LoadedLibrary>& from,
                           const TypeHandle& handle) const {
        if (handle.kind == TypeHandle::Kind::Local) {
            const auto& types = from->info.types;
            if (handle.index < 0 || static_cast<size_t>(handle.index) >= types.size())
                return "error:bad-index";
            return namedIn(*from, types[static_cast<size_t>(handle.index)].name);
        }
        if (handle.kind == TypeHandle::Kind::Imported) {
            if (!from->imports) return "ext:?";
            auto target = from->imports->resolve(from, handle.index);
            return target ? namedIn(*target->library(), target->Name()) : "ext:?";
        }
        return "error:none";
    }

    std::string namedIn(const LoadedLibrary& owner, std::string_view name) const {
        return owner.info.libid == library_->info.libid ? std::string(name) : "ext:" + std::string(name);
    }

    std::string typeText(const std::shared_ptr<const LoadedLibrary>& from, TypeDescId id,
                         int depth = 0) const {
        const auto& descs = from->info.typeDescs;
        if (id >= descs.size() || depth > 64) return "error:bad-typedesc";
        const TypeDesc& desc = descs[id];
        switch (desc.vt) {
        case vt::Ptr: return "ptr(" + typeText(from, desc.element, depth + 1) + ")";
        case vt::SafeArray: return "safearray(" + typeText(from, desc.element, depth + 1) + ")";
        case vt::CArray: {
            std::string text = "carray(" + typeText(from, desc.element, depth + 1);
            // Appended piece by piece: ";" + std::to_string(...) trips GCC 12's -Wrestrict at -O3.
            for (const ArrayBound& bound : desc.bounds) {
                text += ';';
                text += std::to_string(bound.elements);
                text += '@';
                text += std::to_string(bound.lowerBound);
            }
            return text + ")";
        }
        case vt::UserDefined: return "udt(" + handleText(from, desc.type) + ")";
        default: return std::to_string(desc.vt);
        }
    }

    void dumpImpl(size_t index, const TypeHandle& type, int32_t flags, const std::string& indent) {
        out_ += indent + "impl index=" + std::to_string(index) + " flags=" +
                hex(static_cast<uint32_t>(flags)) + " type=" + handleText(library_, type) + "\n";
    }

    void dumpFunction(size_t index, const ViewFunction& view, const std::shared_ptr<const LoadedLibrary>& owner,
                      const std::vector<int32_t>& shared,
                      bool inheritedExternal, const std::string& indent) {
        const FuncDesc& func = *view.func;
        const FuncKind kind = view.funcKind();
        out_ += indent + "func index=" + std::to_string(index) + " memid=" +
                std::to_string(func.memberId) + " invkind=" + std::to_string(func.invokeKind) +
                " funckind=" + std::to_string(static_cast<int>(kind)) + " flags=" + hex(func.flags) +
                " callconv=" + std::to_string(func.callConv);
        if (kind != FuncKind::Dispatch && kind != FuncKind::Static)
            out_ += " slot=" + std::to_string(func.vtableOffset / static_cast<int>(owner->info.pointerSize()));
        out_ += " optional=" + std::to_string(func.optionalParams) + " name=" + quoted(func.name) +
                " return=" + (view.returnType ? typeText(owner, *view.returnType) : "24");
        if (inheritedExternal) out_ += " inherited=ext";
        out_ += "\n";
        const bool namesComparable =
            std::find(shared.begin(), shared.end(), func.memberId) == shared.end();
        for (size_t p = 0; p < view.paramCount; ++p) {
            const ParamDesc& param = func.params[p];
            out_ += indent + "  param index=" + std::to_string(p);
            if (namesComparable && !(isPut(func.invokeKind) && p + 1 == view.paramCount))
                out_ += " name=" + quoted(param.name);
            out_ += " flags=" + hex(param.flags) + " type=" + typeText(owner, param.type);
            if (param.flags & paramflag::HasDefault)
                out_ += " default=" + (param.defaultValue ? variantText(*param.defaultValue) : "missing");
            out_ += "\n";
        }
    }

    void dumpVariable(size_t index, const VarDesc& var, const std::string& indent) {
        out_ += indent + "var index=" + std::to_string(index) + " memid=" + std::to_string(var.memberId) +
                " varkind=" + std::to_string(static_cast<int>(var.varKind)) + " flags=" + hex(var.flags) +
                " name=" + quoted(var.name) + " type=" + typeText(library_, var.type);
        if (var.varKind == VarKind::Const && var.constantValue)
            out_ += " value=" + variantText(*var.constantValue);
        out_ += "\n";
    }

    struct View {
        TypeKind kind;
        uint16_t flags;
        std::vector<std::pair<TypeHandle, int32_t>> impls;
        FunctionList functions;
    };

    void dumpView(const TypeInfo& type, const View& view, const std::string& head,
                  const std::string& indent) {
        const MembersRef typeMembers = type.members();
        out_ += head + " kind=" + std::to_string(static_cast<int>(view.kind)) + " flags=" +
                hex(view.flags) + " funcs=" + std::to_string(view.functions.functions.size()) + " vars=" +
                std::to_string(typeMembers.vars().size()) + " impls=" + std::to_string(view.impls.size());
        if (type.aliasType) out_ += " alias=" + typeText(library_, *type.aliasType);
        out_ += "\n";
        for (size_t i = 0; i < view.impls.size(); ++i)
            dumpImpl(i, view.impls[i].first, view.impls[i].second, indent);
        const std::vector<int32_t> shared = sharedMemberIds(view.functions.functions);
        for (size_t i = 0; i < view.functions.functions.size(); ++i) {
            const ViewFunction& function = view.functions.functions[i];
            const std::shared_ptr<const LoadedLibrary>& owner = *view.functions.libraries.find(function.library);
            // The platform marks them in the view of a dual only.
            const bool external = type.isDual() && owner->info.libid != library_->info.libid;
            dumpFunction(i, function, owner, shared, external, indent);
        }
        for (size_t i = 0; i < typeMembers.vars().size(); ++i) dumpVariable(i, typeMembers.vars()[i], indent);
    }

    FunctionList storedFunctions(const TypeInfo& type) const {
        const MembersRef typeMembers = type.members();
        FunctionList list;
        list.libraries.add(library_);
        list.functions.reserve(typeMembers.funcs().size());
        for (const FuncDesc& func : typeMembers.funcs()) list.functions.push_back(storedFunction(*library_, func));
        return list;
    }

    // The view the library's type list gives: for a dual its dispatch view.
    Expected<View> listedView(int32_t index) const {
        const TypeInfo& type = library_->info.types[static_cast<size_t>(index)];
        View view{type.kind, type.flags, {}, {}};
        if (type.kind == TypeKind::Coclass) {
            for (const ImplType& impl : type.implTypes) view.impls.emplace_back(impl.type, impl.flags);
        } else if (type.kind == TypeKind::Dispatch) {
            view.impls.emplace_back(library_->info.dispatchType, 0);
        } else if (type.kind == TypeKind::Interface && type.baseType.kind != TypeHandle::Kind::None) {
            view.impls.emplace_back(type.baseType, 0);
        }
        if (type.isDual()) view.flags = static_cast<uint16_t>(type.flags & ~typeflag::OleAutomation);
        if (type.isDual() || type.wrappedInterface.kind != TypeHandle::Kind::None) {
            view.functions = VANTREL_TRY(dispatchViewFunctions(TypeEntry(library_, index)));
        } else {
            view.functions = storedFunctions(type);
        }
        return view;
    }

    View vtableView(const TypeInfo& type) const {
        View view{TypeKind::Interface, type.flags, {}, storedFunctions(type)};
        if (type.baseType.kind != TypeHandle::Kind::None) view.impls.emplace_back(type.baseType, 0);
        return view;
    }

    void dumpType(int32_t index) {
        const TypeInfo& type = library_->info.types[static_cast<size_t>(index)];
        const MembersRef typeMembers = type.members();
        const std::string head = "type index=" + std::to_string(index) + " name=" + quoted(type.name) +
                                 " guid=" + type.guid.toString();
        if (typeMembers.error()) {
            out_ += head + " error=" + std::to_string(typeMembers.error()->number) + "\n";
            return;
        }
        auto view = listedView(index);
        if (!view) {
            out_ += head + " error=" + std::to_string(view.error().number) + "\n";
            return;
        }
        dumpView(type, *view, head, "  ");
        if (type.isDual()) dumpView(type, vtableView(type), "  view vtable", "    ");
    }

    std::shared_ptr<const LoadedLibrary> library_;
    std::string out_;
};

}  // namespace

std::string dumpLibrary(const TypeLibrary& library) { return Dumper(library).dump(); }

}  // namespace vantrel::conformance
