#include "typelib/LibraryReader.h"

#include <cstring>

#include "typelib/MsftLibrary.h"
#include "typelib/PeResources.h"

namespace vantrel {
namespace {

bool startsWith(std::span<const uint8_t> bytes, const char (&magic)[5]) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), magic, 4) == 0;
}

Error notALibrary(const std::string& path) {
    return makeError(errc::CantLoadLibrary,
                     "'" + path + "' is neither a type library nor a PE file that carries one");
}

Error sltgNotSupported(const std::string& path) {
    return makeError(errc::UnsupportedFormat,
                     "'" + path + "' uses the SLTG type-library format, which is not supported yet");
}

Error damagedFile(const std::string& path, const Error& error) {
    return makeError(error.number, "The type library '" + path + "' is damaged: " + error.description);
}

Expected<LibraryInfo> readBlob(std::span<const uint8_t> blob, const std::string& path) {
    if (startsWith(blob, "SLTG")) return sltgNotSupported(path);
    if (!startsWith(blob, "MSFT")) return notALibrary(path);
    Expected<LibraryInfo> library = readMsftLibrary(blob, path);
    if (!library) return damagedFile(path, library.error());
    return library;
}

Expected<LibraryInfo> readPeImage(std::span<const uint8_t> image, const std::string& path) {
    Expected<std::vector<TypeLibResource>> resources = findTypeLibResources(image);
    if (!resources) {
        return makeError(resources.error().number,
                         "The PE file '" + path + "' is damaged: " + resources.error().description);
    }
    const TypeLibResource* chosen = defaultTypeLibResource(*resources);
    if (!chosen) {
        return makeError(errc::CantLoadLibrary,
                         "'" + path + "' has no TYPELIB resource, so it carries no type library");
    }
    if (!startsWith(chosen->data, "SLTG") && !startsWith(chosen->data, "MSFT")) {
        return makeError(errc::InvalidDataRead, "The TYPELIB resource " + std::to_string(chosen->id) +
                                                    " of '" + path + "' is not a type library");
    }
    return readBlob(chosen->data, path);
}

}  // namespace

Expected<LibraryInfo> readTypeLibrary(std::span<const uint8_t> bytes, const std::string& path) {
    if (isPeImage(bytes)) return readPeImage(bytes, path);
    return readBlob(bytes, path);
}

}  // namespace vantrel
