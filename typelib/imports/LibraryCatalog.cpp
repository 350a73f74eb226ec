#include "typelib/imports/LibraryCatalog.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "typelib/file/SeededHash.h"
#include "typelib/read/LibraryReader.h"
#include "typelib/imports/ResolveType.h"
#include "typelib/imports/StandardOleLibrary.h"
#include "typelib/imports/StandardOleTypes.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// Hands questions on to the catalog while it exists; afterwards imports are unreachable.
class WeakResolver final : public ImportResolver {
public:
    explicit WeakResolver(std::weak_ptr<LibraryCatalog> catalog) : catalog_(std::move(catalog)) {}

    Expected<TypeEntry> resolve(const std::shared_ptr<const LoadedLibrary>& from,
                                int32_t importedTypeIndex) override {
        if (const std::shared_ptr<LibraryCatalog> catalog = catalog_.lock())
            return catalog->resolve(from, importedTypeIndex);
        const GrowingTable<ImportedType>& imported = from->info.importedTypes;
        if (importedTypeIndex < 0 || static_cast<size_t>(importedTypeIndex) >= imported.size())
            return damagedLibrary(*from, "a type reference points to imported type " +
                                             std::to_string(importedTypeIndex) +
                                             ", which does not exist");
        return unreachableImport(from->info, imported[static_cast<size_t>(importedTypeIndex)]);
    }

private:
    std::weak_ptr<LibraryCatalog> catalog_;
};

// One spelling per file, so that a file named twice is still opened once.
std::string pathKey(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error);
    return (error ? fs::path(path) : absolute).lexically_normal().string();
}

// The recorded name may carry the folder it was imported from, in either convention.
std::string baseName(const std::string& recorded) {
    const size_t slash = recorded.find_last_of("/\\");
    return slash == std::string::npos ? recorded : recorded.substr(slash + 1);
}

bool isWanted(const LibraryInfo& info, const ImportedLibrary& wanted) {
    return info.libid == wanted.libid && info.majorVersion == wanted.majorVersion;
}

uint32_t versionOf(uint16_t major, uint16_t minor) { return (uint32_t{major} << 16) | minor; }

// On the search path a library serves when its version is not older than the one asked for.
bool serves(const LibraryInfo& info, const ImportedLibrary& wanted) {
    return info.libid == wanted.libid && versionOf(info.majorVersion, info.minorVersion) >=
                                             versionOf(wanted.majorVersion, wanted.minorVersion);
}

}  // namespace

// GUIDs come from files: seeded, so that a crafted library can't make them collide.
size_t LibraryCatalog::GuidHash::operator()(const Guid& guid) const {
    uint64_t tail = 0;
    for (uint8_t byte : guid.data4) tail = (tail << 8) | byte;
    const uint64_t head = (uint64_t{guid.data1} << 32) | (uint64_t{guid.data2} << 16) | guid.data3;
    return static_cast<size_t>(seededHash(seededHash(head) ^ tail));
}

std::shared_ptr<LibraryCatalog> LibraryCatalog::create() {
    std::shared_ptr<LibraryCatalog> catalog(new LibraryCatalog());
    catalog->weakSelf_ = std::make_shared<WeakResolver>(catalog);
    return catalog;
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::wrap(std::string path, LibraryInfo info,
                                                          std::shared_ptr<ImportResolver> imports) {
    auto library = std::make_shared<LoadedLibrary>();
    library->path = std::move(path);
    library->info = std::move(info);
    library->imports = std::move(imports);
    return library;
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::adopt(std::string path, LibraryInfo info) {
    std::shared_ptr<const LoadedLibrary> library =
        wrap(std::move(path), std::move(info), shared_from_this());
    const std::lock_guard lock(mutex_);
    remember(library);
    return library;
}

void LibraryCatalog::remember(const std::shared_ptr<const LoadedLibrary>& library) {
    // Libraries that are gone make room first, so the list stays as long as what is open.
    std::erase_if(known_, [](const KnownLibrary& known) { return known.library.expired(); });
    known_.push_back(KnownLibrary{library, pathKey(library->path), nullptr});
}

std::vector<std::string> LibraryCatalog::filesOpened() const {
    const std::lock_guard lock(mutex_);
    return filesOpened_;
}

Expected<TypeEntry> LibraryCatalog::resolve(const std::shared_ptr<const LoadedLibrary>& from,
                                            int32_t importedTypeIndex) {
    const LibraryInfo& info = from->info;
    if (importedTypeIndex < 0 || static_cast<size_t>(importedTypeIndex) >= info.importedTypes.size())
        return damagedLibrary(*from, "a type reference points to imported type " +
                                         std::to_string(importedTypeIndex) +
                                         ", which does not exist");
    const ImportedType& imported = info.importedTypes[static_cast<size_t>(importedTypeIndex)];
    if (imported.library < 0 || static_cast<size_t>(imported.library) >= info.importedLibraries.size())
        return damagedLibrary(*from, "an imported type names imported library " +
                                         std::to_string(imported.library) +
                                         ", which does not exist");
    const ImportedLibrary& wanted = info.importedLibraries[static_cast<size_t>(imported.library)];
    const std::lock_guard lock(mutex_);
    // A library may import itself (stdole2 does).
    std::shared_ptr<const LoadedLibrary> library =
        isWanted(info, wanted) ? from : findLibrary(*from, wanted, imported);
    if (!library) return unreachableImport(info, imported);
    return findType(library, *from, imported);
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::findLibrary(const LoadedLibrary& from,
                                                                 const ImportedLibrary& wanted,
                                                                 const ImportedType& imported) {
    if (std::shared_ptr<const LoadedLibrary> found = findKnown(wanted)) return found;
    if (std::shared_ptr<const LoadedLibrary> found = findInFolder(from, wanted)) return found;
    // Index imports rely on the type order of version 2, which keeps the six types of
    // version 1 in their places; GUIDs name types in any version.
    const bool byGuid = imported.byGuid;
    const bool sameOrder = wanted.majorVersion == StandardOleMajorVersion ||
                           (wanted.majorVersion == 1 && imported.typeIndex < StandardOle1TypeCount);
    if (wanted.libid == StandardOleLibid && (sameOrder || byGuid))
        return builtIn(BuiltIn::StandardOle, from.info.sysKind);
    if (wanted.libid == StandardOleTypesLibid &&
        (wanted.majorVersion == StandardOleTypesMajorVersion || byGuid))
        return builtIn(BuiltIn::StandardOleTypes, from.info.sysKind);
    return findOnSearchPath(wanted);
}

void LibraryCatalog::setSearchPath(std::vector<std::string> folders) {
    const std::lock_guard lock(mutex_);
    searchPath_ = std::move(folders);
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::findOnSearchPath(const ImportedLibrary& wanted) {
    if (searchPath_.empty()) return nullptr;
    // Looked for in vain once, not again: every reference to its types would ask.
    const std::string missingKey = "search path|" + wanted.libid.toString() + "|" +
                                   std::to_string(versionOf(wanted.majorVersion, wanted.minorVersion));
    if (notInFolder_.count(missingKey)) return nullptr;
    for (const std::string& folder : searchPath_) {
        std::shared_ptr<const LoadedLibrary> best;
        for (const std::string& key : librariesIn(pathKey(folder))) {
            std::shared_ptr<const LoadedLibrary> library = libraryAt(key);
            if (!library || !serves(library->info, wanted)) continue;
            const LibraryInfo& info = library->info;
            if (!best || versionOf(info.majorVersion, info.minorVersion) >
                             versionOf(best->info.majorVersion, best->info.minorVersion))
                best = std::move(library);
        }
        if (best) {
            // Known from now on, for its GUID index; known by its own version only.
            if (!isKnown(*best)) remember(best);
            return best;
        }
    }
    notInFolder_.insert(missingKey);
    return nullptr;
}

const std::vector<std::string>& LibraryCatalog::librariesIn(const std::string& folderKey) {
    const auto known = searchFolders_.find(folderKey);
    if (known != searchFolders_.end()) return known->second;
    std::vector<std::string> keys;
    for (const std::string& path : folderOf(folderKey).componentFiles()) {
        const std::string key = pathKey(path);
        // Not remembered: the library chosen here, not another version read on the way,
        // answers the imports of its LIBID.
        if (openedByLoader(key) || openOnce(path, /*remembered=*/false)) keys.push_back(key);
    }
    return searchFolders_.emplace(folderKey, std::move(keys)).first->second;
}

// The library read from that file, by the loader or by the search; null when gone or none.
std::shared_ptr<const LoadedLibrary> LibraryCatalog::libraryAt(const std::string& key) const {
    if (const auto opened = files_.find(key); opened != files_.end()) return opened->second;
    for (const KnownLibrary& known : known_)
        if (known.pathKey == key)
            if (std::shared_ptr<const LoadedLibrary> library = known.library.lock()) return library;
    return nullptr;
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::findKnown(const ImportedLibrary& wanted) {
    for (const KnownLibrary& known : known_) {
        std::shared_ptr<const LoadedLibrary> library = known.library.lock();
        if (library && isWanted(library->info, wanted)) return library;
    }
    return nullptr;
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::findInFolder(const LoadedLibrary& from,
                                                                  const ImportedLibrary& wanted) {
    // A library once looked for in vain is not looked for again: every reference to a
    // type of it would otherwise compare the whole folder again.
    const std::string folderKey = folderKeyOf(from);
    const std::string missingKey = folderKey + "|" + wanted.libid.toString() + "|" +
                                   std::to_string(wanted.majorVersion);
    if (notInFolder_.count(missingKey)) return nullptr;
    std::shared_ptr<const LoadedLibrary> found = searchFolder(folderOf(folderKey), wanted);
    if (!found) notInFolder_.insert(missingKey);
    return found;
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::searchFolder(const FolderListing& folder,
                                                                  const ImportedLibrary& wanted) {
    const std::string named = wanted.fileName.empty() ? std::string() : folder.find(baseName(wanted.fileName));
    if (!named.empty() && !openedByLoader(pathKey(named))) {
        std::shared_ptr<const LoadedLibrary> library = openOnce(named);
        if (library && isWanted(library->info, wanted)) return library;
    }
    // Libraries open in this run were already compared above; only new files are read.
    for (const std::string& path : folder.typeLibraryFiles()) {
        if (openedByLoader(pathKey(path))) continue;
        std::shared_ptr<const LoadedLibrary> library = openOnce(path);
        if (library && isWanted(library->info, wanted)) return library;
    }
    return nullptr;
}

bool LibraryCatalog::openedByLoader(const std::string& key) const {
    if (files_.count(key)) return false;  // opened by the search: openOnce answers
    return std::any_of(known_.begin(), known_.end(), [&](const KnownLibrary& known) {
        return known.pathKey == key && !known.library.expired();
    });
}

std::string LibraryCatalog::folderKeyOf(const LoadedLibrary& library) {
    return pathKey(fs::path(library.path).parent_path().string());
}

const FolderListing& LibraryCatalog::folderOf(const std::string& folder) {
    auto found = folders_.find(folder);
    if (found == folders_.end()) found = folders_.emplace(folder, FolderListing(folder)).first;
    return found->second;
}

bool LibraryCatalog::isKnown(const LoadedLibrary& library) const {
    return std::any_of(known_.begin(), known_.end(), [&](const KnownLibrary& known) {
        return known.library.lock().get() == &library;
    });
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::openOnce(const std::string& path, bool remembered) {
    const std::string key = pathKey(path);
    const auto found = files_.find(key);
    if (found != files_.end()) return found->second;
    filesOpened_.push_back(key);
    std::shared_ptr<const LoadedLibrary> library;
    Expected<LibraryInfo> info = readTypeLibraryFile(path);
    if (info) library = wrap(path, std::move(info).value(), weakSelf_);
    files_.emplace(key, library);
    if (library && remembered) remember(library);
    return library;
}

std::shared_ptr<const LoadedLibrary> LibraryCatalog::builtIn(BuiltIn which, SysKind sysKind) {
    std::shared_ptr<const LoadedLibrary>& slot =
        builtIn_[static_cast<int>(which) * 16 + static_cast<int>(sysKind)];
    // Not remembered as opened: a stdole2.tlb beside a later component still comes first.
    if (!slot)
        slot = which == BuiltIn::StandardOle
                   ? wrap("stdole2.tlb (built in)", standardOleLibrary(sysKind), weakSelf_)
                   : wrap("olepro32.dll (built in)", standardOleTypesLibrary(sysKind), weakSelf_);
    return slot;
}

std::optional<int32_t> LibraryCatalog::typeWithGuid(const LoadedLibrary& library, const Guid& guid) {
    const std::vector<TypeInfo>& types = library.info.types;
    const auto known = std::find_if(known_.begin(), known_.end(), [&](const KnownLibrary& entry) {
        return entry.library.lock().get() == &library;
    });
    // The built-in library is not among the known ones; its few types are searched.
    if (known == known_.end()) {
        for (size_t i = 0; i < types.size(); ++i)
            if (types[i].guid == guid) return static_cast<int32_t>(i);
        return std::nullopt;
    }
    if (!known->guids) {
        known->guids = std::make_shared<GuidIndex>();
        for (size_t i = 0; i < types.size(); ++i)
            if (!types[i].guid.isNull()) known->guids->emplace(types[i].guid, static_cast<int32_t>(i));
    }
    const auto found = known->guids->find(guid);
    if (found == known->guids->end()) return std::nullopt;
    return found->second;
}

Expected<TypeEntry> LibraryCatalog::findType(const std::shared_ptr<const LoadedLibrary>& library,
                                             const LoadedLibrary& from,
                                             const ImportedType& imported) {
    if (imported.byGuid) {
        if (const std::optional<int32_t> index = typeWithGuid(*library, imported.guid))
            return TypeEntry(library, *index);
        return makeError(errc::LibNotRegistered,
                         "The type " + imported.guid.toString() + " that " + from.path +
                             " imports is not in the type library " + library->path);
    }
    const std::vector<TypeInfo>& types = library->info.types;
    // A type of another kind at that place means a library with another type order. A
    // format that records no kind leaves nothing to compare: its types are taken only from
    // the major version it names, or from stdole2 for stdole 1's six types.
    const bool sameOrder = !imported.anyKind || library.get() == &from ||
                           library->info.majorVersion == from.info.importedLibraries[static_cast<size_t>(imported.library)].majorVersion ||
                           (library->info.libid == StandardOleLibid && imported.typeIndex < StandardOle1TypeCount);
    if (sameOrder && imported.typeIndex >= 0 && static_cast<size_t>(imported.typeIndex) < types.size() &&
        (imported.anyKind || types[static_cast<size_t>(imported.typeIndex)].kind == imported.kind))
        return TypeEntry(library, imported.typeIndex);
    return makeError(errc::LibNotRegistered,
                     "The type number " + std::to_string(imported.typeIndex) + " that " +
                         from.path + " imports is not in the type library " + library->path);
}

}  // namespace vantrel
