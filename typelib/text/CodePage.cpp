#include "typelib/text/CodePage.h"

#include <uchardet/uchardet.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vantrel {
namespace {

uint32_t codePageForChinese(uint32_t subLanguage) {
    return subLanguage == 2 || subLanguage == 4 ? 936 : 950;
}

// Locales that give no language's code page: the neutral and invariant ones, and the
// languages Windows writes only in Unicode. Their 8-bit text is in the code page of
// the machine that built the library.
bool namesNoCodePage(uint32_t lcid) {
    switch (lcid & 0x3FF) {
        case 0x00: case 0x7F:                                      // neutral, invariant
        case 0x2B: case 0x37: case 0x39: case 0x45: case 0x46:    // Armenian, Georgian, Hindi, Bengali, Punjabi
        case 0x47: case 0x48: case 0x49: case 0x4A: case 0x4B:    // Gujarati, Odia, Tamil, Telugu, Kannada
        case 0x4C: case 0x4D: case 0x4E: case 0x4F: case 0x57:    // Malayalam, Assamese, Marathi, Sanskrit, Konkani
        case 0x5A: case 0x5B: case 0x61: case 0x65:               // Syriac, Sinhala, Nepali, Divehi
            return true;
        default:
            return false;
    }
}

struct LocaleCodePage {
    std::string_view language;
    uint32_t codePage;
};

constexpr std::array<LocaleCodePage, 30> kLocaleCodePages{{
    {"ja", 932}, {"ko", 949}, {"th", 874}, {"vi", 1258},
    {"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"sr", 1251}, {"be", 1251}, {"mk", 1251},
    {"pl", 1250}, {"cs", 1250}, {"hu", 1250}, {"sk", 1250}, {"sl", 1250}, {"hr", 1250},
    {"ro", 1250}, {"sq", 1250}, {"bs", 1250},
    {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255}, {"iw", 1255},
    {"ar", 1256}, {"fa", 1256}, {"ur", 1256},
    {"lt", 1257}, {"lv", 1257}, {"et", 1257},
}};

// The Windows ANSI code page of a detector's answer. Besides the Windows names this
// takes the character sets whose letters a Windows code page holds at the same bytes.
uint32_t codePageOfCharset(std::string_view charset) {
    struct Charset {
        std::string_view name;
        uint32_t codePage;
    };
    static constexpr std::array<Charset, 18> kCharsets{{
        {"WINDOWS-1250", 1250}, {"WINDOWS-1251", 1251}, {"WINDOWS-1252", 1252}, {"WINDOWS-1253", 1253},
        {"WINDOWS-1254", 1254}, {"WINDOWS-1255", 1255}, {"WINDOWS-1256", 1256}, {"WINDOWS-1257", 1257},
        {"WINDOWS-1258", 1258}, {"ISO-8859-1", 1252}, {"ISO-8859-9", 1254}, {"ISO-8859-13", 1257},
        {"TIS-620", 874}, {"SHIFT_JIS", 932}, {"GB18030", 936}, {"GB2312", 936}, {"EUC-KR", 949},
        {"BIG5", 950},
    }};
    for (const Charset& known : kCharsets)
        if (known.name == charset) return known.codePage;
    return 0;
}

// Names are short: they are handed to the detector one per line, as one text.
uint32_t detectCodePage(const RawTextWalk& walkTexts) {
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector) return 0;
    walkTexts([&](std::span<const uint8_t> text) {
        uchardet_handle_data(detector.get(), reinterpret_cast<const char*>(text.data()), text.size());
        uchardet_handle_data(detector.get(), "\n", 1);
    });
    uchardet_data_end(detector.get());
    const char* charset = uchardet_get_charset(detector.get());
    return charset ? codePageOfCharset(charset) : 0;
}

bool allTextAscii(const RawTextWalk& walkTexts) {
    bool ascii = true;
    walkTexts([&](std::span<const uint8_t> text) { ascii = ascii && isAscii(text); });
    return ascii;
}

// U+FFFD or a C1 control: what decodeText makes of bytes the code page leaves undefined.
bool hasUndefined(std::string_view utf8) {
    for (size_t i = 0; i + 1 < utf8.size(); ++i) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        const auto next = static_cast<uint8_t>(utf8[i + 1]);
        if (lead == 0xC2 && next >= 0x80 && next <= 0x9F) return true;
        if (lead == 0xEF && next == 0xBF && i + 2 < utf8.size() && static_cast<uint8_t>(utf8[i + 2]) == 0xBD)
            return true;
    }
    return false;
}

// True when no text has a byte sequence that the code page leaves undefined.
bool decodesCleanly(const RawTextWalk& walkTexts, uint32_t codePage) {
    bool clean = true;
    walkTexts([&](std::span<const uint8_t> text) {
        if (clean && !isAscii(text)) clean = !hasUndefined(decodeText(text, codePage));
    });
    return clean;
}

// Short names defeat the detector at times (Greek letters in Shift-JIS read as Latin-1),
// so an answer counts only when it decodes every text. Then the user's locale is tried,
// and last the multi-byte code pages, whose many undefined sequences make a clean
// decoding telling.
uint32_t codePageOfNeutralLibrary(const RawTextWalk& walkTexts) {
    const uint32_t userCodePage = userLocaleCodePage();
    const std::array<uint32_t, 6> candidates{detectCodePage(walkTexts), userCodePage, 932, 936, 949, 950};
    for (const uint32_t candidate : candidates)
        if (candidate != 0 && decodesCleanly(walkTexts, candidate)) return candidate;
    return userCodePage;
}

}  // namespace

uint32_t codePageForLcid(uint32_t lcid) {
    const uint32_t language = lcid & 0x3FF;
    const uint32_t subLanguage = (lcid & 0xFFFF) >> 10;
    const uint32_t locale = lcid & 0xFFFF;
    switch (language) {
        case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1B: case 0x1C: case 0x24:
            return 1250;
        case 0x19: case 0x22: case 0x23: case 0x02: case 0x2F: case 0x3F: case 0x40:
        case 0x44: case 0x50:
            return 1251;
        case 0x08: return 1253;
        case 0x1F: return 1254;
        case 0x0D: return 1255;
        case 0x01: case 0x29: case 0x20: return 1256;
        case 0x25: case 0x26: case 0x27: return 1257;
        case 0x2A: return 1258;
        case 0x1E: return 874;
        case 0x11: return 932;
        case 0x12: return 949;
        case 0x04: return codePageForChinese(subLanguage);
        case 0x1A:  // Croatian, Serbian and Bosnian share a primary language
            return locale == 0x0C1A || locale == 0x201A ? 1251 : 1250;
        case 0x2C:  // Azeri
            return locale == 0x082C ? 1251 : 1254;
        case 0x43:  // Uzbek
            return locale == 0x0843 ? 1251 : 1254;
        default: return 1252;
    }
}

bool isWindowsAnsiCodePage(uint32_t codePage) {
    switch (codePage) {
        case 874: case 932: case 936: case 949: case 950:
            return true;
        default:
            return codePage >= 1250 && codePage <= 1258;
    }
}

uint32_t codePageForLocaleName(std::string_view locale) {
    // language[_TERRITORY][.charset][@modifier]
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    if (language == "zh") {
        const bool traditional = locale.starts_with("zh_TW") || locale.starts_with("zh_HK") ||
                                 locale.starts_with("zh_MO");
        return traditional ? 950 : 936;
    }
    if (language == "sr" && locale.ends_with("@latin")) return 1250;
    for (const LocaleCodePage& entry : kLocaleCodePages)
        if (entry.language == language) return entry.codePage;
    return 0;
}

uint32_t userLocaleCodePage() {
    // The first of these that is set and not empty names the locale of character types.
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        const uint32_t codePage = codePageForLocaleName(value);
        return codePage != 0 ? codePage : 1252;
    }
    return 1252;
}

uint32_t libraryCodePage(uint32_t lcid, const RawTextWalk& walkTexts, uint32_t forced) {
    if (forced != 0) return forced;
    if (!namesNoCodePage(lcid)) return codePageForLcid(lcid);
    if (allTextAscii(walkTexts)) return 1252;
    return codePageOfNeutralLibrary(walkTexts);
}

// Eight bytes at a time: names are checked on every open of a library.
bool isAscii(std::span<const uint8_t> bytes) {
    constexpr uint64_t highBits = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & highBits) return false;
    }
    for (; i < bytes.size(); ++i)
        if (bytes[i] & 0x80) return false;
    return true;
}

}  // namespace vantrel
