#include "typelib/imports/LibraryCatalog.h"
#include "typelib/read/LibraryReader.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

TypeLibraryLoader::TypeLibraryLoader() : catalog_(LibraryCatalog::create()) {}

void TypeLibraryLoader::SetImportPath(std::vector<std::string> folders) {
    catalog_->setSearchPath(std::move(folders));
}

Expected<TypeLibrary> TypeLibraryLoader::OpenFromFile(const std::string& path, const ReadOptions& options) {
    LibraryInfo info = VANTREL_TRY(readTypeLibraryFile(path, options));
    return TypeLibrary(catalog_->adopt(path, std::move(info)));
}

Expected<TypeLibrary> TypeLibraryLoader::OpenFromBytes(std::span<const uint8_t> bytes,
                                                       const std::string& path) {
    LibraryInfo info = VANTREL_TRY(readTypeLibrary(bytes, path));
    return TypeLibrary(catalog_->adopt(path, std::move(info)));
}

}  // namespace vantrel
