#include "fuzz/LibraryWalk.h"

#include "report/MemberReport.h"
#include "typelib/TypeLibrary.h"

namespace vantrel::hardening {
namespace {

class Walker {
public:
    explicit Walker(WalkResult& result) : result_(result) {}

    // Counts one answer; true when it holds a value.
    template <class T>
    bool counted(const Expected<T>& answer) {
        ++result_.operations;
        if (answer) return true;
        ++result_.errors;
        if (answer.error().description.empty()) ++result_.emptyDescriptions;
        return false;
    }

    void walkTypeRef(const TypeRef& type) {
        ++result_.operations;
        static_cast<void>(type.VarType());
        static_cast<void>(type.TypedValue());
        static_cast<void>(counted(type.ReferencedType()));
        static_cast<void>(counted(GetVarTypeName(type)));
    }

    void walkMember(const TypeLibrary& library, SearchData type, const MemberItem& item) {
        const Expected<MemberEntry> member =
            library.GetMember(type, item.InvokeKinds, item.MemberId, item.Name);
        if (!counted(member)) return;
        walkTypeRef(member->ReturnType);
        for (const ParameterEntry& parameter : member->Parameters.items()) walkTypeRef(parameter.Type);
    }

    void walkType(const TypeLibrary& library, SearchData type, const TypeEntry& entry) {
        for (const int32_t flag : {memberview::UserView, memberview::AllMembers}) {
            const Expected<Collection<MemberItem>> members = library.GetMembers(type, flag);
            if (!counted(members)) continue;
            static_cast<void>(counted(members->Count()));
            for (const MemberItem& item : members->items()) walkMember(library, type, item);
        }
        static_cast<void>(counted(GetProperties(library, library.path(), std::string(entry.Name()), library.path())));
    }

    void walk(const TypeLibrary& library) {
        const Collection<TypeEntry> types = library.Types();
        static_cast<void>(counted(types.Count()));
        for (size_t i = 0; i < types.items().size(); ++i)
            walkType(library, static_cast<SearchData>(i), types.items()[i]);
    }

private:
    WalkResult& result_;
};

}  // namespace

WalkResult walkLibrary(std::span<const uint8_t> bytes, const std::string& path) {
    WalkResult result;
    TypeLibraryLoader loader;
    const Expected<TypeLibrary> library = loader.OpenFromBytes(bytes, path);
    if (!library) {
        result.openError = library.error().description;
        if (result.openError.empty()) ++result.emptyDescriptions;
        return result;
    }
    result.opened = true;
    Walker(result).walk(*library);
    return result;
}

}  // namespace vantrel::hardening
