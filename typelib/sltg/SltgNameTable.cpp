#include "typelib/sltg/SltgNameTable.h"

#include <algorithm>

#include "typelib/sltg/SltgCursor.h"
#include "typelib/text/CodePage.h"

namespace vantrel {
namespace {

constexpr int64_t kEntryHeaderSize = 8;
// Longer texts are damage: a real name, or an import's library reference with its path,
// is far shorter. The limit bounds the work of scanning for the end.
constexpr size_t kMaxTextLength = 1024;

}  // namespace

Expected<std::string_view> SltgNameTable::rawText(uint16_t offset) const {
    const int64_t textAt = int64_t{offset} + kEntryHeaderSize;
    if (!table_.contains(textAt, 1)) return table_.outOfRange(textAt, 1);
    std::span<const uint8_t> rest = table_.bytes().subspan(static_cast<size_t>(textAt));
    rest = rest.first(std::min(rest.size(), kMaxTextLength + 1));
    const auto end = std::find(rest.begin(), rest.end(), uint8_t{0});
    if (end == rest.end()) return damaged("the name at offset " + hex(offset) + " has no end within " + grouped(kMaxTextLength) + " bytes of the name table");
    return std::string_view(reinterpret_cast<const char*>(rest.data()), static_cast<size_t>(end - rest.begin()));
}

void visitSltgNameTexts(const ByteReader& names, const std::function<void(std::span<const uint8_t>)>& visit) {
    const std::span<const uint8_t> table = names.bytes();
    const auto headerSize = static_cast<size_t>(kEntryHeaderSize);
    for (size_t entry = 0; entry + headerSize < table.size();) {
        const auto text = table.begin() + static_cast<std::ptrdiff_t>(entry + headerSize);
        const auto end = std::find(text, table.end(), uint8_t{0});
        if (end == table.end()) return;
        visit({text, end});
        entry = static_cast<size_t>(end - table.begin()) + 1;
        entry += entry % 2;
    }
}

Expected<std::string_view> SltgNameTable::pooledName(uint16_t offset) {
    if (offset >= 0xFFFE) return std::string_view();
    if (const auto found = decoded_.find(offset); found != decoded_.end()) return found->second;
    const std::string_view raw = VANTREL_TRY(rawText(offset));
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
    const std::string_view text = isAscii(bytes) ? pool_.add(raw) : pool_.add(decodeText(bytes, codePage_));
    decoded_.emplace(offset, text);
    return text;
}

}  // namespace vantrel
