#include "typelib/sltg/SltgHelpStrings.h"

#include <algorithm>

#include "typelib/text/CodePage.h"

namespace vantrel {
namespace {

constexpr uint8_t kInnerNode = 0x80;
constexpr size_t kInnerNodeSize = 3;

}  // namespace

Expected<std::string_view> SltgHelpStrings::text(std::span<const uint8_t> bits) {
    if (dictionary_.empty() || bits.empty()) return std::string_view();
    if (const auto found = helpByPlace_.find(bits.data()); found != helpByPlace_.end()) return found->second;
    const std::string decoded = VANTREL_TRY(decode(bits));
    const std::string_view kept = VANTREL_TRY(keep(decoded));
    helpByPlace_.emplace(bits.data(), kept);
    return kept;
}

Expected<std::string_view> SltgHelpStrings::constant(std::span<const uint8_t> bytes) {
    if (const auto found = constantByPlace_.find(bytes.data()); found != constantByPlace_.end()) return found->second;
    const std::string_view kept = VANTREL_TRY(keep(decodeText(bytes, codePage_)));
    constantByPlace_.emplace(bytes.data(), kept);
    return kept;
}

Expected<std::string_view> SltgHelpStrings::keep(const std::string& decoded) {
    if (decoded.empty()) return std::string_view();
    if (decoded.size() > textBudget_) return damaged("its texts decode to more than a few times the file's size");
    textBudget_ -= decoded.size();
    return pool_.add(decoded);
}

Expected<std::string> SltgHelpStrings::decode(std::span<const uint8_t> bits) {
    if (dictionary_.empty() || bits.empty()) return std::string();
    const std::span<const uint8_t> tree = dictionary_.bytes();
    std::string words;
    size_t node = 0;
    for (size_t bit = 0; bit < 8 * bits.size(); ++bit) {
        if (bitBudget_-- == 0) return damaged("its help strings take more work than the file's size allows");
        if (tree[node] != kInnerNode || node + kInnerNodeSize > tree.size()) {
            return damaged("a help string's dictionary has a damaged node at offset " + hex(node));
        }
        const bool first = (bits[bit / 8] >> (7 - bit % 8)) & 1;
        const size_t second = static_cast<size_t>(tree[node + 1]) << 8 | tree[node + 2];
        const size_t next = first ? node + kInnerNodeSize : second;
        // Children lie after their node, so no walk can loop.
        if (next <= node || next >= tree.size()) return damaged("a help string's dictionary has a node pointing back");
        node = next;
        if (tree[node] == kInnerNode) continue;
        const auto wordStart = tree.begin() + static_cast<std::ptrdiff_t>(node) + 1;
        const auto wordEnd = std::find(wordStart, tree.end(), uint8_t{0});
        if (wordEnd == tree.end()) return damaged("a word of the help-string dictionary runs past its end");
        if (wordStart == wordEnd) return decodeText({reinterpret_cast<const uint8_t*>(words.data()), words.size()}, codePage_);
        if (!words.empty()) words += ' ';
        words.append(wordStart, wordEnd);
        if (words.size() >= maxLength_) return damaged("a help string is longer than its dictionary allows");
        node = 0;
    }
    return damaged("a help string runs past the end of its data");
}

}  // namespace vantrel
