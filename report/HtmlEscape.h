// Writes outside text (names from a component file, paths) into an HTML page so that
// it shows as text: "&", "<" and ">" become entities, everything else stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Appends text to out with "&" as "&amp;", "<" as "&lt;" and ">" as "&gt;".
void AppendHtmlEscaped(std::string& out, std::string_view text);

// The escaped text as a new string.
std::string HtmlEscaped(std::string_view text);

// How many bytes the escaped text takes, for reserving.
size_t HtmlEscapedSize(std::string_view text);

}  // namespace vantrel
