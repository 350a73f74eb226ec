#include "report/HtmlEscape.h"

#include <cstdint>
#include <cstring>

namespace vantrel {

namespace {

std::string_view entityFor(char c) {
    switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        default: return {};
    }
}

bool needsEntity(char c) {
    return c == '&' || c == '<' || c == '>';
}

// Whether any of the eight bytes of `word` is "&", "<" or ">": a byte equal to c turns
// to zero under the XOR, and (x - 0x01..) & ~x & 0x80.. is non-zero exactly when x has
// a zero byte. "<" (0x3C) and ">" (0x3E) differ only in bit 1, so setting that bit in
// every byte finds both with one test.
bool holdsEntityChar(uint64_t word) {
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highBits = 0x8080808080808080ull;
    const auto holdsByte = [](uint64_t bytes, char c) {
        const uint64_t x = bytes ^ (ones * static_cast<uint8_t>(c));
        return (x - ones) & ~x & highBits;
    };
    return (holdsByte(word, '&') | holdsByte(word | (ones * 0x02), '>')) != 0;
}

size_t firstEntityCharFrom(std::string_view text, size_t i) {
    while (i < text.size() && !needsEntity(text[i])) ++i;
    return i;
}

// The position of the first character that needs an entity, or the text's size.
size_t firstEntityChar(std::string_view text) {
    const size_t size = text.size();
    size_t i = 0;
    for (uint64_t word = 0; i + sizeof word <= size; i += sizeof word) {
        std::memcpy(&word, text.data() + i, sizeof word);
        if (holdsEntityChar(word)) return firstEntityCharFrom(text, i);
    }
    // Most names are shorter than a word: four to seven bytes left are checked as their
    // first and last four, which may overlap.
    if (size - i >= 4) {
        uint32_t head = 0;
        uint32_t tail = 0;
        std::memcpy(&head, text.data() + i, sizeof head);
        std::memcpy(&tail, text.data() + size - sizeof tail, sizeof tail);
        if (!holdsEntityChar(head | (uint64_t{tail} << 32))) return size;
    }
    return firstEntityCharFrom(text, i);
}

}  // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    // Most names hold no special character: look for one eight bytes at a time, and copy
    // the runs between them in one piece.
    size_t i = firstEntityChar(text);
    if (i == text.size()) {
        out.append(text.data(), text.size());
        return;
    }
    size_t runStart = 0;
    for (; i < text.size(); ++i) {
        if (!needsEntity(text[i])) continue;
        out.append(text.data() + runStart, i - runStart);
        out.append(entityFor(text[i]));
        runStart = i + 1;
    }
    out.append(text.data() + runStart, text.size() - runStart);
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(HtmlEscapedSize(text));
    AppendHtmlEscaped(out, text);
    return out;
}

size_t HtmlEscapedSize(std::string_view text) {
    size_t size = text.size();
    for (char c : text)
        if (needsEntity(c)) size += entityFor(c).size() - 1;
    return size;
}

}  // namespace vantrel
