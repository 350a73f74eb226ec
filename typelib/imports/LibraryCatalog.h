// The libraries of one run, and the search for the libraries they import. An imported
// library is looked for, in this order: the importing library itself (a self-import);
// a library already opened in this run with the same LIBID and major version; in the
// importing library's folder the file with the recorded name (ignoring case), else any
// .tlb or .olb file there with that LIBID; the built-in stdole2 (also for the six types
// of version 1, which it holds in their places) and Standard OLE Types;
// the folders of the search path, in order, the first that holds the LIBID giving its
// highest version not older than the one asked for. Otherwise the imported types are
// unreachable. Each folder is listed once and each file opened at most once.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "typelib/imports/FolderListing.h"
#include "typelib/imports/ImportResolver.h"

namespace vantrel {

class LibraryCatalog final : public ImportResolver,
                             public std::enable_shared_from_this<LibraryCatalog> {
public:
    static std::shared_ptr<LibraryCatalog> create();

    // The library the loader read, resolving its imports through this catalog and
    // found by LIBID from then on. The catalog keeps only a weak reference to it.
    std::shared_ptr<const LoadedLibrary> adopt(std::string path, LibraryInfo info);

    Expected<TypeEntry> resolve(const std::shared_ptr<const LoadedLibrary>& from,
                                int32_t importedTypeIndex) override;

    // The files the search has opened so far, in order.
    std::vector<std::string> filesOpened() const;

    // The folders searched last. A folder's files are all read the first time it is
    // searched; a file that is no type library is passed over.
    void setSearchPath(std::vector<std::string> folders);

private:
    struct GuidHash {
        size_t operator()(const Guid& guid) const;
    };
    using GuidIndex = std::unordered_map<Guid, int32_t, GuidHash>;

    struct KnownLibrary {
        std::weak_ptr<const LoadedLibrary> library;
        std::string pathKey;
        std::shared_ptr<GuidIndex> guids;  // built on the first import by GUID
    };

    LibraryCatalog() = default;

    std::shared_ptr<const LoadedLibrary> findLibrary(const LoadedLibrary& from,
                                                     const ImportedLibrary& wanted,
                                                     const ImportedType& imported);
    std::shared_ptr<const LoadedLibrary> findKnown(const ImportedLibrary& wanted);
    std::shared_ptr<const LoadedLibrary> findInFolder(const LoadedLibrary& from,
                                                      const ImportedLibrary& wanted);
    std::shared_ptr<const LoadedLibrary> searchFolder(const FolderListing& folder,
                                                      const ImportedLibrary& wanted);
    enum class BuiltIn { StandardOle, StandardOleTypes };
    std::shared_ptr<const LoadedLibrary> builtIn(BuiltIn which, SysKind sysKind);
    std::shared_ptr<const LoadedLibrary> findOnSearchPath(const ImportedLibrary& wanted);
    const std::vector<std::string>& librariesIn(const std::string& folderKey);
    std::shared_ptr<const LoadedLibrary> libraryAt(const std::string& pathKey) const;
    // `remembered`: found by LIBID from then on.
    std::shared_ptr<const LoadedLibrary> openOnce(const std::string& path, bool remembered = true);
    bool isKnown(const LoadedLibrary& library) const;
    static std::string folderKeyOf(const LoadedLibrary& library);
    const FolderListing& folderOf(const std::string& folderKey);
    // A library the loader opened from that file is alive, so its LIBID is known already.
    bool openedByLoader(const std::string& pathKey) const;
    void remember(const std::shared_ptr<const LoadedLibrary>& library);
    std::shared_ptr<const LoadedLibrary> wrap(std::string path, LibraryInfo info,
                                              std::shared_ptr<ImportResolver> imports);
    Expected<TypeEntry> findType(const std::shared_ptr<const LoadedLibrary>& library,
                                 const LoadedLibrary& from, const ImportedType& imported);
    std::optional<int32_t> typeWithGuid(const LoadedLibrary& library, const Guid& guid);

    mutable std::mutex mutex_;
    std::vector<KnownLibrary> known_;
    // Files the search opened, by normalised path; null when the file is no library.
    std::unordered_map<std::string, std::shared_ptr<const LoadedLibrary>> files_;
    std::vector<std::string> filesOpened_;
    std::unordered_map<std::string, FolderListing> folders_;
    // "folder|LIBID|major" and "search path|LIBID|version" searched in vain.
    std::unordered_set<std::string> notInFolder_;
    std::vector<std::string> searchPath_;
    // Per search-path folder: the normalised paths of the libraries read from it.
    std::unordered_map<std::string, std::vector<std::string>> searchFolders_;
    // By library and SysKind.
    std::unordered_map<int, std::shared_ptr<const LoadedLibrary>> builtIn_;
    // The resolver of the libraries the catalog opens itself: it refers to the catalog
    // weakly, so that the catalog and the libraries it keeps do not keep each other.
    std::shared_ptr<ImportResolver> weakSelf_;
};

}  // namespace vantrel
