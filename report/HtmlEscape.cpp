#include "report/HtmlEscape.h"

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

}  // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    // Most names hold no special character: copy runs between them in one piece.
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!needsEntity(text[i])) continue;
        out.append(text, runStart, i - runStart);
        out.append(entityFor(text[i]));
        runStart = i + 1;
    }
    out.append(text, runStart, text.size() - runStart);
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
