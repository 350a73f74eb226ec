#include "cli/TerminalText.h"

#include <unistd.h>

namespace vantrel::cli {

namespace {

void appendEscaped(std::string& out, unsigned value) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    out += "\\x";
    out += Hex[(value >> 4) & 0xF];
    out += Hex[value & 0xF];
}

}  // namespace

std::string visibleControls(std::string_view text, LineBreaks lineBreaks) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool kept = lineBreaks == LineBreaks::Kept && (byte == '\n' || byte == '\r' || byte == '\t');
        if ((byte < 0x20 && !kept) || byte == 0x7F) {
            appendEscaped(out, byte);
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // A C1 control in UTF-8: U+0080..U+009F, shown by its code point.
            appendEscaped(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

}  // namespace vantrel::cli
