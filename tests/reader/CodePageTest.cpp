#include <gtest/gtest.h>

#include <vector>

#include "typelib/text/CodePage.h"

namespace vantrel {
namespace {

std::string decode(std::vector<uint8_t> bytes, uint32_t codePage) { return decodeText(bytes, codePage); }

TEST(CodePage, LocalesMapToTheirAnsiCodePages) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0x0000, 1252}, {0x0409, 1252}, {0x0407, 1252}, {0x0405, 1250}, {0x0415, 1250},
        {0x0419, 1251}, {0x0408, 1253}, {0x041F, 1254}, {0x0425, 1257}, {0x0411, 932},
        {0x0804, 936},  {0x0404, 950},  {0x0C04, 950},  {0x0412, 949},  {0x041A, 1250},
        {0x0C1A, 1251}, {0x042C, 1254}, {0x082C, 1251}, {0x0439, 1252},
    };
    for (const auto& [lcid, codePage] : cases) EXPECT_EQ(codePageForLcid(lcid), codePage) << std::hex << lcid;
}

// Every Windows ANSI code page, with bytes taken from an independent encoder.
TEST(CodePage, EveryAnsiCodePageDecodes) {
    struct Case {
        uint32_t codePage;
        std::vector<uint8_t> bytes;
        std::string text;
    };
    const Case cases[] = {
        {874, {'x', 0xA1}, "xก"},
        {932, {0x8C, 0xF7, 0x83, 0xD5}, "功ψ"},
        {936, {0xD6, 0xD0, 0xCE, 0xC4}, "中文"},
        {949, {0xC7, 0xD1, 0xB1, 0xB9}, "한국"},
        {950, {0xA4, 0xA4, 0xA4, 0xE5}, "中文"},
        {1250, {0xA3, 0xB9}, "Łą"},
        {1251, {0xC6, 0xFF}, "Жя"},
        {1252, {0x80, 0xE9}, "€é"},
        {1253, {0xD9, 0xE1}, "Ωα"},
        {1254, {0xF0, 0xDE}, "ğŞ"},
        {1255, {0xE0, 0xE1}, "אב"},
        {1256, {0xDA, 0xD1}, "عر"},
        {1257, {0xC2, 0xFB}, "Āū"},
        {1258, {0xF5, 0xD0}, "ơĐ"},
        // What doesn't decode is replaced byte by byte and spoils nothing around it.
        {932, {'a', 0x82, ' ', 0x8C, 0xF7}, "a\uFFFD 功"},  // a lead byte without its trail
        {936, {0xD6, 0xD0, 0xFF}, "中\uFFFD"},  // a lead byte at the end
        {1253, {0xAA, 'q'}, "\uFFFDq"},
        {1252, {'x', 0x81, 'y'}, "x\u0081y"},   // undefined 0x80-0x9F: the C1 control, as on Windows
        {12345, {'o', 0xE9}, "o\uFFFD"},        // a code page iconv doesn't know
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decode(c.bytes, c.codePage), c.text) << c.codePage;
        EXPECT_EQ(decode(c.bytes, c.codePage), c.text) << c.codePage << ", again on the kept converter";
    }
}

TEST(CodePage, UserLocalesImplyCodePages) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"ja_JP.UTF-8", 932}, {"zh_CN.GB18030", 936}, {"zh_TW.UTF-8", 950}, {"zh_HK", 950},
        {"ko_KR.EUC-KR", 949}, {"ru_RU.UTF-8", 1251}, {"sr_RS", 1251}, {"sr_RS@latin", 1250},
        {"pl_PL", 1250}, {"el_GR", 1253}, {"tr_TR", 1254}, {"he_IL", 1255}, {"ar_EG", 1256},
        {"lv_LV", 1257}, {"vi_VN", 1258}, {"th_TH", 874}, {"en_US.UTF-8", 0}, {"C", 0},
        {"C.UTF-8", 0}, {"POSIX", 0}, {"", 0},
    };
    for (const auto& [locale, codePage] : cases) EXPECT_EQ(codePageForLocaleName(locale), codePage) << locale;
}

}  // namespace
}  // namespace vantrel
