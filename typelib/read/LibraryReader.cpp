#include "typelib/read/LibraryReader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "typelib/file/FileBytes.h"
#include "typelib/file/Messages.h"
#include "typelib/msft/MsftLibrary.h"
#include "typelib/sltg/SltgLibrary.h"
#include "typelib/container/NeResources.h"
#include "typelib/container/PeResources.h"

namespace vantrel {
namespace {

bool startsWith(std::span<const uint8_t> bytes, const char (&magic)[5]) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), magic, 4) == 0;
}

Error notALibrary(const std::string& path) {
    return makeError(errc::CantLoadLibrary,
                     "'" + path + "' is neither a type library nor a PE or NE file that carries one.");
}

Error damagedFile(const std::string& path, const Error& error) {
    return damagedFileError("type library", path, error);
}

Expected<LibraryInfo> readBlob(const HeldBytes& blob, const std::string& path, const ReadOptions& options) {
    const bool sltg = startsWith(blob.bytes, "SLTG");
    if (!sltg && !startsWith(blob.bytes, "MSFT")) return notALibrary(path);
    Expected<LibraryInfo> library =
        sltg ? readSltgLibrary(blob, options.codePage, options.keptMemberBytes)
             : readMsftLibrary(blob, options.codePage, options.keptMemberBytes);
    if (!library) return damagedFile(path, library.error());
    return library;
}

Error executableDamaged(std::string_view container, const std::string& path, const Error& error) {
    return damagedFileError(std::string(container) + " file", path, error);
}

// No resource at all, or none with the id asked for.
Error noTypeLibResource(const std::string& path, const ReadOptions& options) {
    if (options.resourceId) {
        return makeError(errc::CantLoadLibrary, "'" + path + "' has no TYPELIB resource with the id " +
                                                    std::to_string(*options.resourceId));
    }
    return makeError(errc::CantLoadLibrary,
                     "'" + path + "' has no TYPELIB resource, so it carries no type library.");
}

Error noResourcesInLibraryFile(const std::string& path) {
    return makeError(errc::CantLoadLibrary,
                     "'" + path + "' is not a PE file, so it has no TYPELIB resources to choose from");
}

// The chosen TYPELIB resource's data, whichever way it was read.
Expected<LibraryInfo> readResourceData(uint32_t id, const HeldBytes& data, const std::string& path,
                                       const ReadOptions& options) {
    if (!startsWith(data.bytes, "SLTG") && !startsWith(data.bytes, "MSFT")) {
        return makeError(errc::InvalidDataRead, "The TYPELIB resource " + std::to_string(id) + " of '" + path +
                                                    "' holds no type library: it starts with neither MSFT nor SLTG.");
    }
    return readBlob(data, path, options);
}

// The TYPELIB resource of a PE or NE image that the options choose.
Expected<LibraryInfo> readExecutable(const HeldBytes& file, const Expected<std::vector<TypeLibResource>>& resources,
                                     std::string_view container, const std::string& path,
                                     const ReadOptions& options) {
    if (!resources) return executableDamaged(container, path, resources.error());
    const TypeLibResource* chosen = chooseTypeLibResource(*resources, options.resourceId);
    if (!chosen) return noTypeLibResource(path, options);
    return readResourceData(chosen->id, file.part(chosen->data), path, options);
}

Expected<LibraryInfo> readHeld(const HeldBytes& file, const std::string& path, const ReadOptions& options) {
    const std::span<const uint8_t> bytes = file.bytes;
    if (isPeImage(bytes)) return readExecutable(file, findTypeLibResources(bytes), "PE", path, options);
    if (isNeImage(bytes)) return readExecutable(file, findNeTypeLibResources(bytes), "NE", path, options);
    if (options.resourceId) return noResourcesInLibraryFile(path);
    return readBlob(file, path, options);
}

// A large PE file read in parts after its head: the resource section, then the chosen
// resource's data unless the section holds it. Null when any part fails; only the
// whole file can then tell what the outcome is.
std::optional<Expected<LibraryInfo>> readPeFileInParts(LibraryFile& file, std::span<const uint8_t> head,
                                                       const ReadOptions& options) {
    Expected<TypeLibResourcePlaces> found = findTypeLibResourcePlaces(file, head);
    if (!found) return std::nullopt;
    const TypeLibResourcePlace* chosen = chooseTypeLibResource(found->places, options.resourceId);
    if (!chosen) return noTypeLibResource(file.path(), options);
    if (const std::span<const uint8_t> data = found->inSection(*chosen); data.size() == chosen->size)
        return readResourceData(chosen->id, found->section.part(data), file.path(), options);
    Expected<HeldBytes> data = file.readAt(chosen->fileOffset, chosen->size);
    if (!data) return std::nullopt;
    return readResourceData(chosen->id, std::move(*data), file.path(), options);
}

}  // namespace

Expected<LibraryInfo> readTypeLibrary(std::span<const uint8_t> bytes, const std::string& path,
                                      const ReadOptions& options) {
    return readHeld(HeldBytes::lent(bytes), path, options);
}

Expected<LibraryInfo> readTypeLibraryFile(const std::string& path, const ReadOptions& options,
                                          const FileReadLimits& limits, FileReadStats* stats) {
    if (stats) *stats = FileReadStats{};
    Expected<LibraryFile> opened = LibraryFile::open(path);
    if (!opened) return opened.error();
    LibraryFile& file = *opened;
    std::optional<Expected<LibraryInfo>> result;
    if (file.size() >= limits.partsFrom) {
        if (Expected<HeldBytes> head = file.readAt(0, std::min(limits.headSize, file.size()))) {
            if (isPeImage(head->bytes)) result = readPeFileInParts(file, head->bytes, options);
        }
    }
    const bool readWhole = !result;
    if (readWhole) {
        Expected<HeldBytes> whole = file.readAll();
        result = whole ? readHeld(*whole, path, options) : Expected<LibraryInfo>(whole.error());
    }
    if (stats) *stats = FileReadStats{file.bytesRead(), readWhole};
    return std::move(*result);
}

Expected<std::vector<CarriedLibrary>> readCarriedLibraries(const std::string& path, const ReadOptions& options) {
    const HeldBytes file = VANTREL_TRY(holdWholeFile(path));
    const std::span<const uint8_t> bytes = file.bytes;
    std::vector<CarriedLibrary> carried;
    const bool pe = isPeImage(bytes);
    if (!pe && !isNeImage(bytes)) {
        if (!startsWith(bytes, "SLTG") && !startsWith(bytes, "MSFT")) return notALibrary(path);
        carried.push_back({0, readBlob(file, path, options)});
        return carried;
    }
    Expected<std::vector<TypeLibResource>> resources = pe ? findTypeLibResources(bytes) : findNeTypeLibResources(bytes);
    if (!resources) return executableDamaged(pe ? "PE" : "NE", path, resources.error());
    if (resources->empty()) return noTypeLibResource(path, ReadOptions{});
    std::sort(resources->begin(), resources->end(), [](const auto& x, const auto& y) { return x.id < y.id; });
    for (const TypeLibResource& resource : *resources)
        carried.push_back({resource.id, readResourceData(resource.id, file.part(resource.data), path, options)});
    return carried;
}

}  // namespace vantrel
