#include "typelib/FileBytes.h"
#include "typelib/LibraryReader.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

TypeLibraryLoader::TypeLibraryLoader() = default;

Expected<TypeLibrary> TypeLibraryLoader::OpenFromFile(const std::string& path) {
    const std::vector<uint8_t> bytes = VANTREL_TRY(readWholeFile(path));
    return OpenFromBytes(bytes, path);
}

Expected<TypeLibrary> TypeLibraryLoader::OpenFromBytes(std::span<const uint8_t> bytes,
                                                       const std::string& path) {
    LibraryInfo info = VANTREL_TRY(readTypeLibrary(bytes, path));
    auto library = std::make_shared<LoadedLibrary>();
    library->path = path;
    library->info = std::move(info);
    library->imports = imports_;
    return TypeLibrary(std::move(library));
}

}  // namespace vantrel
