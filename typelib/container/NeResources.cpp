#include "typelib/container/NeResources.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "typelib/file/ByteReader.h"

namespace vantrel {
namespace {

constexpr int64_t kResourceTableField = 0x24;
constexpr int64_t kTypeHeaderSize = 8;
constexpr int64_t kEntrySize = 12;
constexpr uint16_t kIntegerId = 0x8000;
// Shifts beyond this would place data past any 32-bit offset.
constexpr uint16_t kMaxAlignShift = 16;

Expected<uint32_t> neHeaderOffset(const ByteReader& file) {
    const uint32_t offset = VANTREL_TRY(file.u32(0x3C));
    if (!file.contains(offset, 2)) return file.outOfRange(offset, 2);
    return offset;
}

// A named type's name: a length byte and the characters, at `offset` in the table.
Expected<bool> isTypeLibName(const ByteReader& table, uint16_t offset) {
    static constexpr std::string_view kTypeLib = "TYPELIB";
    const uint8_t length = VANTREL_TRY(table.u8(offset));
    const std::span<const uint8_t> name = VANTREL_TRY(table.span(int64_t{offset} + 1, length));
    return std::equal(name.begin(), name.end(), kTypeLib.begin(), kTypeLib.end(),
                      [](uint8_t a, char b) { return std::toupper(a) == b; });
}

Expected<TypeLibResource> resourceAt(const ByteReader& file, const ByteReader& table, int64_t entry, uint16_t shift) {
    const uint64_t offset = uint64_t{table.u16Unchecked(static_cast<size_t>(entry))} << shift;
    const uint64_t length = uint64_t{table.u16Unchecked(static_cast<size_t>(entry) + 2)} << shift;
    const uint16_t id = table.u16Unchecked(static_cast<size_t>(entry) + 6);
    if (offset >= file.size()) {
        return damaged("the TYPELIB resource " + std::to_string(id & ~kIntegerId) + " starts at offset " + hex(offset) +
                       ", past the end of the file");
    }
    const uint64_t kept = std::min<uint64_t>(length, file.size() - offset);
    return TypeLibResource{static_cast<uint32_t>(id & ~kIntegerId), file.bytes().subspan(offset, kept)};
}

}  // namespace

bool isNeImage(std::span<const uint8_t> bytes) {
    const ByteReader file(bytes, "the file");
    if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
    const Expected<uint32_t> ne = neHeaderOffset(file);
    return ne && bytes[*ne] == 'N' && bytes[*ne + 1] == 'E';
}

Expected<std::vector<TypeLibResource>> findNeTypeLibResources(std::span<const uint8_t> image) {
    const ByteReader file(image, "the NE file");
    const uint32_t ne = VANTREL_TRY(neHeaderOffset(file));
    const uint16_t tableOffset = VANTREL_TRY(file.u16(int64_t{ne} + kResourceTableField));
    const int64_t tableAt = int64_t{ne} + tableOffset;
    const ByteReader table = VANTREL_TRY(file.sub(tableAt, static_cast<int64_t>(file.size()) - tableAt, "the resource table"));
    const uint16_t shift = VANTREL_TRY(table.u16(0));
    if (shift > kMaxAlignShift) return damaged("the resource table's alignment shift " + std::to_string(shift) + " is too large");
    std::vector<TypeLibResource> resources;
    // Each type group holds its header and its entries; the table ends with type 0.
    for (int64_t group = 2;;) {
        const uint16_t typeId = VANTREL_TRY(table.u16(group));
        if (typeId == 0) break;
        const uint16_t count = VANTREL_TRY(table.u16(group + 2));
        const int64_t entries = group + kTypeHeaderSize;
        if (!table.contains(entries, int64_t{count} * kEntrySize)) return table.outOfRange(entries, int64_t{count} * kEntrySize);
        const bool typeLib = (typeId & kIntegerId) == 0 && VANTREL_TRY(isTypeLibName(table, typeId));
        for (int64_t k = 0; typeLib && k < count; ++k) {
            const int64_t entry = entries + k * kEntrySize;
            if (!(table.u16Unchecked(static_cast<size_t>(entry) + 6) & kIntegerId)) continue;
            resources.push_back(VANTREL_TRY(resourceAt(file, table, entry, shift)));
        }
        group = entries + int64_t{count} * kEntrySize;
    }
    return resources;
}

}  // namespace vantrel
