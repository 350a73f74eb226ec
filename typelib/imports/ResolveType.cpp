#include "typelib/imports/ResolveType.h"

#include "typelib/file/Messages.h"
#include "typelib/imports/ImportResolver.h"

namespace vantrel {

ImportResolver::~ImportResolver() = default;

Error damagedLibrary(const LoadedLibrary& library, const std::string& what) {
    return damagedFileError("type library", library.path, makeError(errc::InvalidDataRead, what));
}

Error typeMembersError(const TypeEntry& type, const Error& error) {
    std::string what = "type " + std::to_string(type.index()) + " (";
    what += type.Name();
    what += "): " + error.description;
    return damagedFileError("type library", type.library()->path, makeError(error.number, std::move(what)));
}

// How an imported type is named in messages: its GUID, else its position in the other
// library, followed by the file that library was imported from.
Error unreachableImport(const LibraryInfo& info, const ImportedType& imported) {
    std::string name = imported.byGuid ? imported.guid.toString()
                                       : "number " + std::to_string(imported.typeIndex);
    std::string file = "unknown file";
    if (imported.library >= 0 &&
        static_cast<size_t>(imported.library) < info.importedLibraries.size()) {
        const std::string& recorded = info.importedLibraries[imported.library].fileName;
        if (!recorded.empty()) file = recorded;
    }
    return makeError(errc::LibNotRegistered, "The type " + name +
                                                 " lives in another type library (" + file +
                                                 ") that is not available");
}

namespace {

Expected<TypeEntry> resolveLocal(const std::shared_ptr<const LoadedLibrary>& library,
                                 int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= library->info.types.size())
        return damagedLibrary(*library, "a type reference points to type " +
                                            std::to_string(index) + ", which does not exist");
    return TypeEntry(library, index);
}

Expected<TypeEntry> resolveImported(const std::shared_ptr<const LoadedLibrary>& library,
                                    int32_t index) {
    const LibraryInfo& info = library->info;
    if (index < 0 || static_cast<size_t>(index) >= info.importedTypes.size())
        return damagedLibrary(*library, "a type reference points to imported type " +
                                            std::to_string(index) + ", which does not exist");
    if (library->imports) return library->imports->resolve(library, index);
    return unreachableImport(info, info.importedTypes[static_cast<size_t>(index)]);
}

}  // namespace

Expected<TypeEntry> resolveTypeHandle(const std::shared_ptr<const LoadedLibrary>& library,
                                      TypeHandle handle) {
    switch (handle.kind) {
        case TypeHandle::Kind::Local: return resolveLocal(library, handle.index);
        case TypeHandle::Kind::Imported: return resolveImported(library, handle.index);
        case TypeHandle::Kind::None: break;
    }
    return damagedLibrary(*library, "a type reference names no type");
}

}  // namespace vantrel
