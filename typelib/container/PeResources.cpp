#include "typelib/container/PeResources.h"

#include <algorithm>
#include <optional>
#include <set>

#include "typelib/file/ByteReader.h"
#include "typelib/file/Messages.h"

namespace vantrel {
namespace {

constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kHighBit = 0x80000000u;

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
};

struct PeLayout {
    uint32_t sizeOfHeaders = 0;
    uint32_t resourceRva = 0;
    uint32_t resourceSize = 0;
    std::vector<Section> sections;
};

Expected<uint32_t> peHeaderOffset(const ByteReader& file) {
    const uint32_t offset = VANTREL_TRY(file.u32(0x3C));
    if (!file.contains(offset, 4)) return file.outOfRange(offset, 4);
    return offset;
}

Expected<std::vector<Section>> readSections(const ByteReader& file, int64_t table, uint16_t count) {
    if (!file.contains(table, int64_t{count} * 40)) return file.outOfRange(table, int64_t{count} * 40);
    std::vector<Section> sections;
    sections.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        const size_t at = static_cast<size_t>(table) + size_t{i} * 40;
        sections.push_back(Section{file.u32Unchecked(at + 12), file.u32Unchecked(at + 8),
                                   file.u32Unchecked(at + 16), file.u32Unchecked(at + 20)});
    }
    return sections;
}

Expected<PeLayout> readLayout(const ByteReader& file) {
    const uint32_t pe = VANTREL_TRY(peHeaderOffset(file));
    const int64_t coff = int64_t{pe} + 4;
    const uint16_t sectionCount = VANTREL_TRY(file.u16(coff + 2));
    const uint16_t optionalSize = VANTREL_TRY(file.u16(coff + 16));
    const int64_t opt = coff + 20;
    const uint16_t magic = VANTREL_TRY(file.u16(opt));
    if (magic != 0x10B && magic != 0x20B) {
        return damaged("its optional header has the unknown magic number " + hex(magic));
    }
    const bool plus = magic == 0x20B;
    PeLayout layout;
    layout.sizeOfHeaders = VANTREL_TRY(file.u32(opt + 60));
    const uint32_t directoryCount = VANTREL_TRY(file.u32(opt + (plus ? 108 : 92)));
    if (directoryCount > kResourceDirectoryIndex) {
        const int64_t entry = opt + (plus ? 112 : 96) + kResourceDirectoryIndex * 8;
        layout.resourceRva = VANTREL_TRY(file.u32(entry));
        layout.resourceSize = VANTREL_TRY(file.u32(entry + 4));
    }
    layout.sections = VANTREL_TRY(readSections(file, opt + optionalSize, sectionCount));
    return layout;
}

// The file offset of an RVA and the section it lies in; null for the headers.
struct RvaPlace {
    uint64_t fileOffset = 0;
    const Section* section = nullptr;
};

Expected<RvaPlace> placeOfRva(const PeLayout& layout, uint32_t rva) {
    if (rva < layout.sizeOfHeaders) return RvaPlace{rva, nullptr};
    for (const Section& section : layout.sections) {
        const uint32_t span = section.virtualSize != 0 ? section.virtualSize : section.rawSize;
        if (rva < section.virtualAddress || rva - section.virtualAddress >= span) continue;
        const uint32_t delta = rva - section.virtualAddress;
        if (delta >= section.rawSize) break;
        // Kept 64 bits wide: a raw pointer near 4 GiB must not wrap to the file's start.
        return RvaPlace{uint64_t{section.rawPointer} + delta, &section};
    }
    return damaged("the address " + hex(rva) + " lies in none of its sections");
}

Expected<uint64_t> fileOffsetOfRva(const PeLayout& layout, uint32_t rva) {
    return VANTREL_TRY(placeOfRva(layout, rva)).fileOffset;
}

// Where a resource's data lies in the file, not yet checked against the file's size.
struct DataPlace {
    uint64_t offset = 0;
    uint32_t size = 0;
};

// Walks the fixed three levels type -> id -> language of the resource tree. The walk
// reads only the tree; what a resource's data place means is up to the caller.
class ResourceTree {
public:
    ResourceTree(const PeLayout& layout, ByteReader tree)
        : layout_(layout), tree_(tree), directoryBytesLeft_(tree.size()) {}

    // Calls found(id, DataPlace) for every TYPELIB resource with an integer id, in
    // directory order, right after reading its place; the first error of the tree or
    // of `found` ends the walk.
    template <class Found>
    Expected<void> forEachTypeLib(Found&& found) {
        const auto typeEntries = VANTREL_TRY(entries(0));
        for (const Entry& type : typeEntries) {
            if (!type.named || !type.directory) continue;
            const bool isTypeLib = VANTREL_TRY(nameIsTypeLib(type.name));
            if (!isTypeLib) continue;
            const auto idEntries = VANTREL_TRY(entries(type.target));
            for (const Entry& id : idEntries) {
                if (id.named) continue;
                const DataPlace data = VANTREL_TRY(firstLanguageData(id));
                VANTREL_CHECK(found(id.id, data));
            }
        }
        return {};
    }

private:
    struct Entry {
        bool named = false;
        uint32_t name = 0;  // offset of the counted UTF-16 name
        uint32_t id = 0;
        bool directory = false;
        uint32_t target = 0;
    };

    Expected<std::vector<Entry>> entries(uint32_t directory) {
        if (!visited_.insert(directory).second) {
            return damaged("its resource directories lead round in a loop");
        }
        const uint16_t named = VANTREL_TRY(tree_.u16(int64_t{directory} + 12));
        const uint16_t ids = VANTREL_TRY(tree_.u16(int64_t{directory} + 14));
        const int64_t count = int64_t{named} + ids;
        const int64_t first = int64_t{directory} + 16;
        if (!tree_.contains(first, count * 8)) return tree_.outOfRange(first, count * 8);
        // Directories that overlap are each new to the loop check; counting the bytes
        // read keeps the walk to one read of each byte of the tree in all.
        const auto bytes = static_cast<size_t>(16 + count * 8);
        if (bytes > directoryBytesLeft_) return damaged("its resource directories overlap one another");
        directoryBytesLeft_ -= bytes;
        std::vector<Entry> list;
        list.reserve(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i) {
            const size_t at = static_cast<size_t>(first + i * 8);
            const uint32_t nameWord = tree_.u32Unchecked(at);
            const uint32_t targetWord = tree_.u32Unchecked(at + 4);
            Entry entry;
            entry.named = (nameWord & kHighBit) != 0;
            entry.name = nameWord & ~kHighBit;
            entry.id = nameWord & 0xFFFF;
            entry.directory = (targetWord & kHighBit) != 0;
            entry.target = targetWord & ~kHighBit;
            list.push_back(entry);
        }
        return list;
    }

    Expected<bool> nameIsTypeLib(uint32_t offset) const {
        static constexpr char kTypeLib[] = "TYPELIB";
        const uint16_t length = VANTREL_TRY(tree_.u16(offset));
        if (length != 7) return false;
        for (uint16_t i = 0; i < length; ++i) {
            uint16_t c = VANTREL_TRY(tree_.u16(int64_t{offset} + 2 + 2 * i));
            if (c >= 'a' && c <= 'z') c = static_cast<uint16_t>(c - 'a' + 'A');
            if (c != static_cast<uint8_t>(kTypeLib[i])) return false;
        }
        return true;
    }

    // The data of the first language under an id.
    Expected<DataPlace> firstLanguageData(const Entry& id) {
        if (!id.directory) return dataOf(id.target);
        const auto languages = VANTREL_TRY(entries(id.target));
        for (const Entry& language : languages) {
            if (!language.directory) return dataOf(language.target);
        }
        return damaged("its TYPELIB resource " + std::to_string(id.id) + " has no data");
    }

    Expected<DataPlace> dataOf(uint32_t dataEntry) const {
        const uint32_t rva = VANTREL_TRY(tree_.u32(dataEntry));
        const uint32_t size = VANTREL_TRY(tree_.u32(int64_t{dataEntry} + 4));
        const uint64_t offset = VANTREL_TRY(fileOffsetOfRva(layout_, rva));
        return DataPlace{offset, size};
    }

    const PeLayout& layout_;
    ByteReader tree_;
    std::set<uint32_t> visited_;
    size_t directoryBytesLeft_;
};

}  // namespace

bool isPeImage(std::span<const uint8_t> bytes) {
    const ByteReader file(bytes, "the file");
    if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
    const Expected<uint32_t> pe = peHeaderOffset(file);
    if (!pe) return false;
    const auto signature = bytes.subspan(*pe, 4);
    return signature[0] == 'P' && signature[1] == 'E' && signature[2] == 0 && signature[3] == 0;
}

Expected<std::vector<TypeLibResource>> findTypeLibResources(std::span<const uint8_t> image) {
    const ByteReader file(image, "it");
    const PeLayout layout = VANTREL_TRY(readLayout(file));
    if (layout.resourceRva == 0) return std::vector<TypeLibResource>{};
    const uint64_t start = VANTREL_TRY(fileOffsetOfRva(layout, layout.resourceRva));
    if (start > image.size()) {
        return damaged("it ends after " + byteCount(image.size()) + ", but its resource tree lies at " + groupedNumber(start));
    }
    // The tree may extend to the end of the file; its stated size is not always exact.
    const ByteReader tree = VANTREL_TRY(file.sub(start, int64_t(image.size() - start), "the resource tree"));
    std::vector<TypeLibResource> found;
    VANTREL_CHECK(ResourceTree(layout, tree).forEachTypeLib([&](uint32_t id, DataPlace data) -> Expected<void> {
        if (data.offset + data.size > image.size()) {
            return damaged("it ends after " + byteCount(image.size()) + ", but its TYPELIB resource " +
                           std::to_string(id) + " takes " + byteCount(data.size) + " from " + groupedNumber(data.offset));
        }
        found.push_back(TypeLibResource{id, image.subspan(static_cast<size_t>(data.offset), data.size)});
        return {};
    }));
    return found;
}

std::span<const uint8_t> TypeLibResourcePlaces::inSection(const TypeLibResourcePlace& place) const {
    const std::span<const uint8_t> bytes = section.bytes;
    if (place.fileOffset < sectionOffset || place.fileOffset - sectionOffset > bytes.size()) return {};
    const auto at = static_cast<size_t>(place.fileOffset - sectionOffset);
    if (place.size > bytes.size() - at) return {};
    return bytes.subspan(at, place.size);
}

Expected<TypeLibResourcePlaces> findTypeLibResourcePlaces(LibraryFile& file, std::span<const uint8_t> head) {
    const ByteReader headers(head, "its headers");
    const PeLayout layout = VANTREL_TRY(readLayout(headers));
    TypeLibResourcePlaces found;
    if (layout.resourceRva == 0) return found;
    const RvaPlace root = VANTREL_TRY(placeOfRva(layout, layout.resourceRva));
    if (!root.section) return damaged("its resource tree lies in its headers");
    // The section's raw bytes as far as the file holds them. The tree is read from the
    // offset the whole-file walk starts at; when that lies outside, the walk fails here.
    const uint64_t sectionStart = root.section->rawPointer;
    if (sectionStart > file.size()) {
        return damaged("it ends after " + byteCount(file.size()) + ", but its resource section lies at " +
                       groupedNumber(sectionStart));
    }
    const uint64_t sectionLength = std::min<uint64_t>(root.section->rawSize, file.size() - sectionStart);
    found.sectionOffset = sectionStart;
    found.section = VANTREL_TRY(file.readAt(sectionStart, sectionLength));
    const ByteReader section(found.section.bytes, "the resource section");
    const int64_t start = static_cast<int64_t>(root.fileOffset) - static_cast<int64_t>(sectionStart);
    const ByteReader tree = VANTREL_TRY(section.sub(start, static_cast<int64_t>(sectionLength) - start, "the resource tree"));
    VANTREL_CHECK(ResourceTree(layout, tree).forEachTypeLib([&](uint32_t id, DataPlace data) -> Expected<void> {
        if (uint64_t{data.offset} + data.size > file.size()) {
            return damaged("it ends after " + byteCount(file.size()) + ", but its TYPELIB resource " +
                           std::to_string(id) + " takes " + byteCount(data.size) + " from " + groupedNumber(data.offset));
        }
        found.places.push_back(TypeLibResourcePlace{id, data.offset, data.size});
        return {};
    }));
    return found;
}

namespace {

template <class Resource>
const Resource* chosenOf(const std::vector<Resource>& resources, std::optional<uint32_t> id) {
    const Resource* best = nullptr;
    for (const Resource& resource : resources) {
        if (id) {
            if (resource.id == *id) return &resource;
            continue;
        }
        if (resource.id == 1) return &resource;
        if (!best || resource.id < best->id) best = &resource;
    }
    return best;
}

}  // namespace

const TypeLibResource* chooseTypeLibResource(const std::vector<TypeLibResource>& resources,
                                             std::optional<uint32_t> id) {
    return chosenOf(resources, id);
}

const TypeLibResourcePlace* chooseTypeLibResource(const std::vector<TypeLibResourcePlace>& resources,
                                                  std::optional<uint32_t> id) {
    return chosenOf(resources, id);
}

const TypeLibResource* defaultTypeLibResource(const std::vector<TypeLibResource>& resources) {
    return chosenOf(resources, std::nullopt);
}

}  // namespace vantrel
