#include "typelib/sltg/SltgReferences.h"

#include <charconv>
#include <optional>
#include <string>

#include "typelib/sltg/SltgCursor.h"
#include "typelib/text/CodePage.h"

namespace vantrel {
namespace {

constexpr uint8_t kTableMark = 0xDF;
constexpr int64_t kCountAt = 68;
constexpr int64_t kEntriesAt = 72;
constexpr int64_t kEntrySize = 8;
// Between the fixed entries and the strings: u16 0xFFFF, u8 1, u32 0.
constexpr int64_t kGapBeforeStrings = 7;
constexpr uint16_t kThisLibrary = 0xFFFF;

std::optional<uint32_t> parseHex(std::string_view text) {
    uint32_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

// Reads a hex number up to `end` and takes it and `end` off the front of `text`.
std::optional<uint32_t> takeHex(std::string_view& text, char end) {
    const size_t stop = text.find(end);
    if (stop == std::string_view::npos) return std::nullopt;
    const std::optional<uint32_t> value = parseHex(text.substr(0, stop));
    if (value) text.remove_prefix(stop + 1);
    return value;
}

bool takePrefix(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// "{00020430-0000-0000-C000-000000000046}" and the '#' after it.
std::optional<Guid> takeGuid(std::string_view& text) {
    if (!takePrefix(text, "{")) return std::nullopt;
    Guid guid;
    const auto d1 = takeHex(text, '-');
    const auto d2 = takeHex(text, '-');
    const auto d3 = takeHex(text, '-');
    const auto d4 = takeHex(text, '-');
    if (!d1 || !d2 || !d3 || !d4 || text.size() < 13 || text.substr(12, 2) != "}#") return std::nullopt;
    guid.data1 = *d1;
    guid.data2 = static_cast<uint16_t>(*d2);
    guid.data3 = static_cast<uint16_t>(*d3);
    guid.data4[0] = static_cast<uint8_t>(*d4 >> 8);
    guid.data4[1] = static_cast<uint8_t>(*d4);
    for (size_t i = 0; i < 6; ++i) {
        const std::optional<uint32_t> byte = parseHex(text.substr(2 * i, 2));
        if (!byte) return std::nullopt;
        guid.data4[2 + i] = static_cast<uint8_t>(*byte);
    }
    text.remove_prefix(14);
    return guid;
}

// "*\G{LIBID}#major.minor#lcid#path#"
std::optional<ImportedLibrary> parseLibraryReference(std::string_view text) {
    ImportedLibrary library;
    if (!takePrefix(text, "*\\G")) return std::nullopt;
    const std::optional<Guid> libid = takeGuid(text);
    const auto major = takeHex(text, '.');
    const auto minor = takeHex(text, '#');
    const auto lcid = takeHex(text, '#');
    if (!libid || !major || !minor || !lcid || text.empty() || text.back() != '#') return std::nullopt;
    library.libid = *libid;
    library.majorVersion = static_cast<uint16_t>(*major);
    library.minorVersion = static_cast<uint16_t>(*minor);
    library.lcid = *lcid;
    text.remove_suffix(1);
    library.fileName = std::string(text);
    return library;
}

Error badReference(std::string_view text) {
    return damaged("the type reference \"" + std::string(text.substr(0, 80)) + "\" is not understood");
}

}  // namespace

Expected<int32_t> SltgImports::importedLibrary(uint16_t nameOffset) {
    if (auto found = libraryByName_.find(nameOffset); found != libraryByName_.end()) return found->second;
    const std::string_view text = VANTREL_TRY(names_.rawText(nameOffset));
    std::optional<ImportedLibrary> library = parseLibraryReference(text);
    if (!library) return badReference(text);
    const std::span<const uint8_t> path(reinterpret_cast<const uint8_t*>(library->fileName.data()), library->fileName.size());
    if (!isAscii(path)) library->fileName = decodeText(path, codePage_);
    const auto index = static_cast<int32_t>(library_.importedLibraries.size());
    library_.importedLibraries.push_back(std::move(*library));
    libraryByName_.emplace(nameOffset, index);
    return index;
}

Expected<TypeHandle> SltgImports::resolve(std::string_view reference) {
    std::string_view text = reference;
    std::optional<uint32_t> libraryName;
    std::optional<uint32_t> typeIndex;
    if (takePrefix(text, "*\\R")) libraryName = takeHex(text, '*');
    if (libraryName && takePrefix(text, "#")) typeIndex = parseHex(text);
    if (!libraryName || !typeIndex || *libraryName > 0xFFFF || *typeIndex > 0xFFFF) return badReference(reference);
    if (*libraryName == kThisLibrary) return TypeHandle{TypeHandle::Kind::Local, static_cast<int32_t>(*typeIndex)};
    const int32_t library = VANTREL_TRY(importedLibrary(static_cast<uint16_t>(*libraryName)));
    const auto [found, added] = typeByPlace_.try_emplace({library, *typeIndex}, static_cast<int32_t>(library_.importedTypes.size()));
    if (added) {
        ImportedType& type = library_.importedTypes.emplace_back();
        type.library = library;
        type.typeIndex = static_cast<int32_t>(*typeIndex);
        type.anyKind = true;
    }
    return TypeHandle{TypeHandle::Kind::Imported, found->second};
}

Expected<std::vector<TypeHandle>> readSltgReferences(const ByteReader& table, SltgImports& imports) {
    if (VANTREL_TRY(table.u8(0)) != kTableMark) return damaged("its reference table does not start with its mark");
    const uint32_t entryBytes = VANTREL_TRY(table.u32(kCountAt));
    const uint32_t count = entryBytes / kEntrySize;
    if (!table.contains(kEntriesAt, int64_t{entryBytes} + kGapBeforeStrings + 2 * int64_t{count})) {
        return damaged("its reference table of " + grouped(count) + " entries runs past the end of its block");
    }
    SltgCursor at(table, kEntriesAt + entryBytes + kGapBeforeStrings);
    std::vector<TypeHandle> handles;
    handles.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const auto text = VANTREL_TRY(at.counted());
        if (!text) return damaged("its reference " + std::to_string(i) + " is empty");
        handles.push_back(VANTREL_TRY(imports.resolve({reinterpret_cast<const char*>(text->data()), text->size()})));
    }
    return handles;
}

}  // namespace vantrel
