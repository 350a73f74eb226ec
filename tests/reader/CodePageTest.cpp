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

TEST(CodePage, Windows1252DecodesItsSpecialsAndLatin1) {
    EXPECT_EQ(decode({'A', 0x80, 'B'}, 1252), "A\u20ACB");
    EXPECT_EQ(decode({0x9F, 0x8A, 0x99}, 1252), "\u0178\u0160\u2122");
    EXPECT_EQ(decode({0xE9, 0xFF}, 1252), "\u00E9\u00FF");
    EXPECT_EQ(decode({'x', 0x81, 'y'}, 1252), "x\u0081y");  // undefined: the C1 control, as on Windows
}

TEST(CodePage, OtherSingleByteCodePages) {
    EXPECT_EQ(decode({0xC0, 0xFF}, 1251), "\u0410\u044F");
    EXPECT_EQ(decode({0x8A, 0xB9}, 1250), "\u0160\u0105");
    EXPECT_EQ(decode({0xC1}, 1253), "\u0391");
    EXPECT_EQ(decode({0xAA, 'q'}, 1253), "\uFFFDq");  // undefined above 0x9F
    EXPECT_EQ(decode({0xD0, 0xFE}, 1254), "\u011E\u015F");
    EXPECT_EQ(decode({0xC0}, 1257), "\u0104");
}

TEST(CodePage, UndecodableBytesLeaveTheRestIntact) {
    EXPECT_EQ(decode({'a', 0x82, 0xA0, 'b'}, 932), "a\uFFFD\uFFFDb");
    EXPECT_EQ(decode({0xB0, 'Z'}, 936), "\uFFFDZ");
    EXPECT_EQ(decode({'p', 'l', 'a', 'i', 'n'}, 949), "plain");
}

}  // namespace
}  // namespace vantrel
