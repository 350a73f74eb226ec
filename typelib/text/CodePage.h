// Text in type libraries is 8-bit, in the ANSI code page of the library's locale.
// These functions pick that code page from an LCID and decode the bytes to UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vantrel {

// The ANSI code page of a locale; neutral and Unicode-only locales give 1252.
uint32_t codePageForLcid(uint32_t lcid);

// Decodes 8-bit text to UTF-8. Windows-1250, 1251, 1252, 1253, 1254 and 1257 are decoded
// exactly. For every other code page (the multi-byte East Asian ones included) bytes
// below 0x80 are taken as ASCII and each other byte becomes U+FFFD, so one undecodable
// byte never swallows the characters around it. Undefined bytes 0x80-0x9F of the known
// code pages become the C1 control of the same value, as on Windows; other undefined
// bytes become U+FFFD.
// True when every byte is below 0x80: text that every code page leaves as it is.
bool isAscii(std::span<const uint8_t> bytes);

std::string decodeText(std::span<const uint8_t> bytes, uint32_t codePage);

}  // namespace vantrel
