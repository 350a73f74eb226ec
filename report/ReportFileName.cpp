#include "report/ReportFileName.h"

#include <cstdint>

namespace vantrel {

namespace {

constexpr std::string_view Extension = ".html";

bool fileNameCanHold(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c != '/' && c != '\\' && byte >= 0x20 && byte != 0x7F;
}

std::string safeForFileName(std::string_view text) {
    std::string safe(text);
    for (char& c : safe)
        if (!fileNameCanHold(c)) c = '_';
    return safe;
}

// FNV-1a: fixed, so that a name gives the same file name in every run and program.
uint64_t stableHash(std::string_view text) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return hash;
}

std::string hexDigits(uint64_t value, int digits) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = Hex[value & 0xF];
    return text;
}

// Cuts `stem` to `bytes` without splitting a UTF-8 character.
void cutTo(std::string& stem, size_t bytes) {
    while (bytes > 0 && (static_cast<unsigned char>(stem[bytes]) & 0xC0) == 0x80) --bytes;
    stem.resize(bytes);
}

// STEM.html, or when that is too long the start of STEM, "~", a hash of all of
// `whole` and ".html".
std::string withExtension(std::string stem, std::string_view whole) {
    if (stem.size() + Extension.size() <= MaxReportFileNameBytes) return stem + std::string(Extension);
    const std::string tail = "~" + hexDigits(stableHash(whole), 16);
    cutTo(stem, MaxReportFileNameBytes - tail.size() - Extension.size());
    return stem + tail + std::string(Extension);
}

// The component's file name, "_" and the type's name, as they stand.
std::string rawStemOf(std::string_view componentPath, std::string_view typeName) {
    const auto slash = componentPath.find_last_of('/');
    const std::string_view componentName =
        slash == std::string_view::npos ? componentPath : componentPath.substr(slash + 1);
    return std::string(componentName) + "_" + std::string(typeName);
}

}  // namespace

std::string ReportFileName(std::string_view componentPath, std::string_view typeName) {
    const std::string raw = rawStemOf(componentPath, typeName);
    return withExtension(safeForFileName(raw), raw);
}

std::string DistinctReportFileName(std::string_view componentPath, std::string_view typeName,
                                   unsigned attempt) {
    const std::string raw = rawStemOf(componentPath, typeName) + '\0' + std::to_string(attempt);
    const std::string stem = safeForFileName(rawStemOf(componentPath, typeName)) + "~" +
                             hexDigits(stableHash(raw), 8);
    return withExtension(stem, raw);
}

}  // namespace vantrel
