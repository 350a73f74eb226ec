// Text in type libraries is 8-bit, in the ANSI code page of the library's locale, or of
// the machine that built it when the library names no language. These functions choose
// that code page and decode the bytes to UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// The ANSI code page of a locale; neutral and Unicode-only locales give 1252.
uint32_t codePageForLcid(uint32_t lcid);

// True for the Windows ANSI code pages this reader decodes: 874, 932, 936, 949, 950 and
// 1250 to 1258.
bool isWindowsAnsiCodePage(uint32_t codePage);

// The code page a POSIX locale name implies ("ja_JP.UTF-8" gives 932), 0 when none.
uint32_t codePageForLocaleName(std::string_view locale);

// The code page of the user's locale: LC_ALL, else LC_CTYPE, else LANG; 1252 when none
// of them implies one.
uint32_t userLocaleCodePage();

// Calls its argument once for each raw 8-bit text of a library (names, strings, string
// constants).
using RawTextVisitor = std::function<void(std::span<const uint8_t>)>;
using RawTextWalk = std::function<void(const RawTextVisitor&)>;

// The code page in which to decode a library's text. `forced` (non-zero) wins. An LCID
// that names a language gives that language's code page. For a neutral LCID the texts
// decide: all ASCII gives 1252; else the first code page that decodes every text of
// these: the character-set detector's answer when it is a Windows ANSI code page, the
// user's locale's, 932, 936, 949, 950; else the user's locale's.
uint32_t libraryCodePage(uint32_t lcid, const RawTextWalk& walkTexts, uint32_t forced = 0);

// True when every byte is below 0x80: text that every code page leaves as it is.
bool isAscii(std::span<const uint8_t> bytes);

// Decodes 8-bit text in a Windows ANSI code page to UTF-8 through iconv. A byte sequence
// that does not decode becomes U+FFFD and decoding goes on after its first byte, so it
// never swallows the characters around it; only a byte 0x80-0x9F that a single-byte code
// page leaves undefined becomes the C1 control of that value, as on Windows. A code page
// iconv doesn't know decodes ASCII and turns every other byte into U+FFFD.
std::string decodeText(std::span<const uint8_t> bytes, uint32_t codePage);

}  // namespace vantrel
