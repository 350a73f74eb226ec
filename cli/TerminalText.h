// Text from a library shown on a terminal: a type name may hold escape sequences and
// line breaks, which a terminal would act on. On a terminal they are shown as \xNN
// instead; files and pipes get the text as it is.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vantrel::cli {

enum class LineBreaks { Shown, Kept };

// `text` with control characters (C0, DEL and the C1 controls U+0080..U+009F) written
// as \xNN (a C1 control by its code point); with LineBreaks::Kept, "\n", "\r" and "\t"
// stay as they are.
std::string visibleControls(std::string_view text, LineBreaks lineBreaks);

// True when `stream` goes to a terminal.
bool isTerminal(std::FILE* stream);

}  // namespace vantrel::cli
