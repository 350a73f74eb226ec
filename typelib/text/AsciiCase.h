// Case-insensitive comparison of names. Names are UTF-8; folding ASCII letters only
// leaves every other character as it is.
#pragma once

#include <string_view>

namespace vantrel {

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // Most names compared are spelled alike: one block compare settles them.
    if (a == b) return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

}  // namespace vantrel
