#include "report/json/LibraryJson.h"

#include <array>

#include "report/MemberReport.h"
#include "report/InvokeInfo.h"
#include "report/json/JsonWriter.h"
#include "report/json/TypeNaming.h"

namespace vantrel::json {

namespace {

// The name of an enumeration's value; "unknown" for a value the format doesn't define.
template <size_t N, class Enum>
std::string_view nameOf(const std::array<std::string_view, N>& names, Enum value) {
    const auto index = static_cast<size_t>(value);
    return index < names.size() ? names[index] : "unknown";
}

}  // namespace

std::string_view TypeKindName(TypeKind kind) {
    static constexpr std::array<std::string_view, 8> Names{
        "enum", "record", "module", "interface", "dispinterface", "coclass", "alias", "union"};
    return nameOf(Names, kind);
}

std::string_view InvokeKindName(int32_t invokeKind) {
    switch (invokeKind) {
    case invoke::Func: return "method";
    case invoke::PropertyGet: return "propertyGet";
    case invoke::PropertyPut: return "propertyPut";
    case invoke::PropertyPutRef: return "propertyPutRef";
    default: return "unknown";
    }
}

namespace {

std::string_view funcKindName(FuncKind kind) {
    static constexpr std::array<std::string_view, 5> Names{"virtual", "pureVirtual", "nonVirtual",
                                                           "static", "dispatch"};
    return nameOf(Names, kind);
}

std::string_view varKindName(VarKind kind) {
    static constexpr std::array<std::string_view, 4> Names{"perInstance", "static", "const",
                                                           "dispatch"};
    return nameOf(Names, kind);
}

std::string_view sysKindName(SysKind kind) {
    static constexpr std::array<std::string_view, 4> Names{"win16", "win32", "mac", "win64"};
    return nameOf(Names, kind);
}

std::string dumped(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void writeError(JsonWriter& out, const Error& error) {
    out.beginObject();
    out.field("number", error.number);
    out.field("description", error.description);
    out.endObject();
}

void writeVersion(JsonWriter& out, uint16_t major, uint16_t minor) {
    out.beginObject();
    out.field("major", major);
    out.field("minor", minor);
    out.endObject();
}

void writeVariant(JsonWriter& out, const Variant& value) {
    out.beginObject();
    out.field("vt", value.vt);
    out.key("value");
    std::visit(
        [&out](const auto& held) {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, std::monostate>)
                out.null();
            else
                out.value(held);
        },
        value.value);
    out.endObject();
}

class DocumentBuilder {
public:
    explicit DocumentBuilder(const TypeLibrary& library)
        : library_(library), naming_(library.loaded()) {}

    // Hands the text to `sink` in parts of about a megabyte, type by type.
    Expected<void> write(std::span<const SearchData> types, const TextSink& sink) {
        out_.text().reserve(FlushSize + FlushSize / 4);
        out_.beginObject();
        out_.field("schemaVersion", LibrarySchemaVersion);
        out_.field("file", library_.path());
        out_.key("library");
        writeLibrary();
        out_.key("types");
        out_.beginArray();
        const size_t count = types.empty() ? info().types.size() : types.size();
        for (size_t i = 0; i < count; ++i) {
            writeType(types.empty() ? static_cast<SearchData>(i) : types[i]);
            if (out_.text().size() >= FlushSize) VANTREL_CHECK(flush(sink));
        }
        out_.endArray();
        out_.endObject();
        out_.text() += '\n';
        return flush(sink);
    }

private:
    static constexpr size_t FlushSize = 1 << 20;

    Expected<void> flush(const TextSink& sink) {
        VANTREL_CHECK(sink(out_.text()));
        out_.text().clear();
        return {};
    }

    const LibraryInfo& info() const { return library_.info(); }

    void writeLibrary() {
        const LibraryInfo& lib = info();
        out_.beginObject();
        out_.field("name", lib.name);
        out_.field("libid", lib.libid.toString());
        out_.key("version");
        writeVersion(out_, lib.majorVersion, lib.minorVersion);
        out_.field("lcid", lib.lcid);
        out_.field("sysKind", sysKindName(lib.sysKind));
        out_.field("flags", lib.flags);
        out_.field("docString", lib.docString);
        out_.field("helpFile", lib.helpFile);
        out_.field("helpContext", lib.helpContext);
        out_.field("format", lib.format == LibraryFormat::Sltg ? "SLTG" : "MSFT");
        out_.endObject();
    }

    // The fields that name a referenced type, inside an object the caller opened.
    void writeReferenceFields(const TypeHandle& handle) {
        const NamedType& named = naming_.named(handle);
        if (named.error) {
            out_.key("name");
            out_.null();
            out_.key("error");
            writeError(out_, *named.error);
            return;
        }
        out_.field("name", named.name);
        out_.field("library", named.library);
        out_.field("libid", named.libid.toString());
    }

    void writeReference(const TypeHandle& handle) {
        out_.beginObject();
        writeReferenceFields(handle);
        out_.endObject();
    }

    // The fields of a type description, nested descriptions as objects of their own.
    void writeTypeDescFields(TypeDescId id, int depth) {
        const GrowingTable<TypeDesc>& descs = info().typeDescs;
        if (id >= descs.size() || depth > MaxTypeDescDepth) {
            out_.field("kind", "invalid");
            out_.field("id", id);
            return;
        }
        const TypeDesc& desc = descs[id];
        switch (desc.vt) {
        case vt::Ptr:
            out_.field("kind", "pointer");
            writeNested("to", desc.element, depth);
            return;
        case vt::SafeArray:
            out_.field("kind", "safearray");
            writeNested("of", desc.element, depth);
            return;
        case vt::CArray:
            out_.field("kind", "carray");
            writeNested("of", desc.element, depth);
            out_.key("bounds");
            out_.beginArray();
            for (const ArrayBound& bound : desc.bounds) {
                out_.beginObject();
                out_.field("elements", bound.elements);
                out_.field("lowerBound", bound.lowerBound);
                out_.endObject();
            }
            out_.endArray();
            return;
        case vt::UserDefined:
            out_.field("kind", "userdefined");
            writeReferenceFields(desc.type);
            return;
        default:
            out_.field("kind", "builtin");
            out_.field("vt", desc.vt);
            out_.field("name", BuiltinTypeName(desc.vt));
        }
    }

    void writeNested(std::string_view name, TypeDescId id, int depth) {
        out_.key(name);
        out_.beginObject();
        writeTypeDescFields(id, depth + 1);
        out_.endObject();
    }

    // The display name of a type reference, as the member report shows it.
    void writeDisplayName(const TypeRef& type) {
        const Expected<std::string> name = GetVarTypeName(type);
        if (name)
            out_.value(*name);
        else
            out_.null();
    }

    // A stored type description with the report's name for it beside.
    void writeDescribedType(std::string_view name, TypeDescId id) {
        out_.key(name);
        out_.beginObject();
        writeTypeDescFields(id, 0);
        out_.key("display");
        writeDisplayName(TypeRef(library_.loaded(), id));
        out_.endObject();
    }

    void writeParameter(const ParamDesc& param) {
        out_.beginObject();
        out_.field("name", param.name);
        out_.field("flags", param.flags);
        writeDescribedType("type", param.type);
        if (param.defaultValue) {
            out_.key("default");
            writeVariant(out_, *param.defaultValue);
        }
        out_.endObject();
    }

    void writeFunction(const FuncDesc& func) {
        out_.beginObject();
        out_.field("name", func.name);
        out_.field("memberId", func.memberId);
        out_.field("invokeKind", InvokeKindName(func.invokeKind));
        out_.field("funcKind", funcKindName(func.funcKind));
        out_.field("callConv", func.callConv);
        out_.field("vtableOffset", func.vtableOffset);
        out_.field("flags", func.flags);
        out_.field("optionalParams", func.optionalParams);
        out_.key("parameters");
        out_.beginArray();
        for (const ParamDesc& param : func.params) writeParameter(param);
        out_.endArray();
        writeDescribedType("returnType", func.returnType);
        out_.field("docString", func.docString);
        out_.field("helpContext", func.helpContext);
        if (!func.entryName.empty()) out_.field("entry", func.entryName);
        if (func.entryOrdinal) out_.field("entry", *func.entryOrdinal);
        out_.endObject();
    }

    void writeVariable(const VarDesc& var) {
        out_.beginObject();
        out_.field("name", var.name);
        out_.field("memberId", var.memberId);
        out_.field("varKind", varKindName(var.varKind));
        out_.field("flags", var.flags);
        writeDescribedType("type", var.type);
        out_.field("docString", var.docString);
        out_.field("helpContext", var.helpContext);
        if (var.constantValue) {
            out_.key("value");
            writeVariant(out_, *var.constantValue);
        }
        if (var.varKind == VarKind::PerInstance) out_.field("instanceOffset", var.instanceOffset);
        out_.endObject();
    }

    void writeMember(SearchData index, const MemberItem& item) {
        out_.beginObject();
        out_.field("name", item.Name);
        out_.field("invokeKinds", item.InvokeKinds);
        out_.field("caption", caption::Of(item.InvokeKinds));
        out_.field("memberId", item.DispId);
        const auto entry = library_.GetMember(index, 0, item.MemberId, item.Name);
        if (!entry) {
            out_.key("error");
            writeError(out_, entry.error());
        } else {
            out_.key("parameters");
            out_.beginArray();
            for (const ParameterEntry& param : entry->Parameters.items()) {
                out_.beginObject();
                out_.field("name", param.Name);
                out_.key("type");
                writeDisplayName(param.Type);
                out_.endObject();
            }
            out_.endArray();
            out_.key("returnType");
            writeDisplayName(entry->ReturnType);
        }
        out_.endObject();
    }

    // The members as the report lists them, with the report's names of their types.
    void writeMemberView(SearchData index) {
        const auto items = library_.GetMembers(index, memberview::UserView);
        if (!items) {
            out_.key("membersError");
            writeError(out_, items.error());
            return;
        }
        out_.key("members");
        out_.beginArray();
        for (const MemberItem& item : items->items()) writeMember(index, item);
        out_.endArray();
    }

    void writeKindFields(const TypeInfo& type) {
        if (type.wrappedInterface.kind != TypeHandle::Kind::None) {
            out_.key("wrappedInterface");
            writeReference(type.wrappedInterface);
        }
        if (type.baseType.kind != TypeHandle::Kind::None) {
            out_.key("baseType");
            writeReference(type.baseType);
        }
        if (type.kind == TypeKind::Coclass) {
            out_.key("interfaces");
            out_.beginArray();
            for (const ImplType& impl : type.implTypes) {
                out_.beginObject();
                out_.key("type");
                writeReference(impl.type);
                out_.field("flags", impl.flags);
                out_.endObject();
            }
            out_.endArray();
        }
        if (type.aliasType) writeDescribedType("aliasOf", *type.aliasType);
        if (type.kind == TypeKind::Module) out_.field("dll", type.dllName);
    }

    void writeType(SearchData index) {
        const TypeInfo& type = info().types[static_cast<size_t>(index)];
        out_.beginObject();
        out_.field("index", index);
        out_.field("name", type.name);
        out_.field("kind", TypeKindName(type.kind));
        out_.field("guid", type.guid.toString());
        out_.field("flags", type.flags);
        out_.key("version");
        writeVersion(out_, type.majorVersion, type.minorVersion);
        out_.field("docString", type.docString);
        out_.field("helpContext", type.helpContext);
        out_.field("size", type.sizeInstance);
        out_.field("alignment", type.alignment);
        out_.field("vtableSize", type.sizeVtable);
        writeKindFields(type);
        if (const MembersRef members = type.members(); members.damaged()) {
            out_.key("error");
            writeError(out_, *members.error());
        } else {
            out_.key("functions");
            out_.beginArray();
            for (const FuncDesc& func : members.funcs()) writeFunction(func);
            out_.endArray();
            out_.key("variables");
            out_.beginArray();
            for (const VarDesc& var : members.vars()) writeVariable(var);
            out_.endArray();
            writeMemberView(index);
        }
        out_.endObject();
    }

    const TypeLibrary& library_;
    TypeNaming naming_;
    JsonWriter out_;
};

}  // namespace

Expected<void> WriteLibraryJson(const TypeLibrary& library, std::span<const SearchData> types,
                                const TextSink& sink) {
    return DocumentBuilder(library).write(types, sink);
}

std::string LibraryJsonText(const TypeLibrary& library, std::span<const SearchData> types) {
    std::string text;
    const auto collect = [&text](std::string_view part) -> Expected<void> {
        text += part;
        return {};
    };
    (void)WriteLibraryJson(library, types, collect);
    return text;
}

std::string JsonText(const Json& document) {
    return dumped(document) + '\n';
}

}  // namespace vantrel::json
