// Text forms shared by both dumpers (ours and the platform's, built for Windows), so that
// equal values print as equal bytes. Standard C++ only.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vantrel::conformance {

// Every text in the dump is quoted; quotes, backslashes and control characters escaped.
inline std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(byte));
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

inline std::string hex(unsigned long long value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", value);
    return buffer;
}

inline std::string doubleText(double value, int digits) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    return buffer;
}

}  // namespace vantrel::conformance
