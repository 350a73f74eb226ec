// Member kind captions, sample kind names, the pieces of type display names and HTML
// escaping: the rules the report page is built from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "report/HtmlEscape.h"
#include "report/MemberReport.h"
#include "report/TypeNames.h"
#include "typelib/model/Automation.h"

namespace vantrel {
namespace {

TEST(InvokeInfo, CaptionsOfEveryNamedCombination) {
    const std::vector<std::pair<int32_t, std::string>> cases = {
        {1, "Method"},           {2, "Property Get"},         {4, "Property Let"},
        {6, "Property Get/Let"}, {8, "Property Set"},         {10, "Property Get/Set"},
        {12, "Property Let/Set"}, {14, "Property Get/Let/Set"}, {16, "Event"},
        {32, "Constant"},        {33, "Constant"},            {48, "Constant"},
        {-1, "Constant"},        {32 | 14, "Constant"},       {0x7FFFFFFF, "Constant"},
    };
    for (const auto& [kinds, caption] : cases) EXPECT_EQ(InvokeInfo(kinds), caption) << kinds;
}

TEST(InvokeInfo, UnnamedCombinationsGiveTheEmptyCaption) {
    for (const int32_t kinds : {0, 3, 5, 7, 9, 11, 13, 15, 17, 18, 31, 64, -64, -33, 0x40000000})
        EXPECT_EQ(InvokeInfo(kinds), "") << kinds;
}

TEST(InvokeInfo, OnlyTheTableValuesAndTheConstantBitHaveCaptions) {
    const std::vector<int32_t> named = {1, 2, 4, 6, 8, 10, 12, 14, 16};
    for (int32_t kinds = -300; kinds <= 300; ++kinds) {
        const bool expectCaption =
            (kinds & 32) != 0 || std::find(named.begin(), named.end(), kinds) != named.end();
        EXPECT_EQ(!InvokeInfo(kinds).empty(), expectCaption) << kinds;
    }
}

TEST(SampleTypeName, NamesOfEveryKind) {
    const std::vector<std::pair<uint16_t, std::string>> cases = {
        {vt::Empty, "Empty"},     {vt::Null, "Null"},        {vt::I2, "Integer"},
        {vt::I4, "Long"},         {vt::R4, "Single"},        {vt::R8, "Double"},
        {vt::Cy, "Currency"},     {vt::Date, "Date"},        {vt::Bstr, "String"},
        {vt::Dispatch, "Object"}, {vt::Error, "Error"},      {vt::Bool, "Boolean"},
        {vt::Variant, "Variant"}, {vt::Unknown, "Unknown"},  {vt::Decimal, "Decimal"},
        {vt::I1, "SByte"},        {vt::UI1, "Byte"},         {vt::UI2, "UInteger"},
        {vt::UI4, "ULong"},       {vt::I8, "LongLong"},      {vt::UI8, "ULongLong"},
        {vt::Int, "Long"},        {vt::UInt, "ULong"},       {vt::Void, "Empty"},
        {vt::HResult, "Long"},    {vt::Ptr, "Any"},          {vt::LpStr, "String"},
        {vt::LpWStr, "String"},   {vt::IntPtr, "LongPtr"},   {vt::UIntPtr, "LongPtr"},
        // Codes without a name of their own.
        {15, "Unknown"},          {vt::SafeArray, "Unknown"}, {vt::CArray, "Unknown"},
        {vt::UserDefined, "Unknown"}, {vt::Record, "Unknown"}, {vt::FileTime, "Unknown"},
        {vt::ClsId, "Unknown"},   {0x0FFF, "Unknown"},
    };
    for (const auto& [kind, name] : cases) {
        EXPECT_EQ(SampleTypeName(SampleValue{kind, false}), name) << kind;
        EXPECT_EQ(SampleTypeName(SampleValue{kind, true}), name + "()") << kind;
        EXPECT_EQ(KindName(kind), name) << kind;
    }
}

TEST(VarTypeNarrowing, SixteenBitRangeIsKeptAndBeyondIsOverflow) {
    const std::vector<std::pair<int32_t, uint16_t>> inRange = {
        {0, 0}, {3, 3}, {0x4000, 0x4000}, {0x6008, 0x6008}, {32767, 0x7FFF},
        {-1, 0xFFFF}, {-32768, 0x8000},
    };
    for (const auto& [wide, narrow] : inRange) {
        const auto result = NarrowVarType(wide);
        ASSERT_TRUE(result) << wide;
        EXPECT_EQ(*result, narrow) << wide;
    }
    for (const int32_t wide : {32768, 65535, 0x10000, -32769, INT32_MIN, INT32_MAX}) {
        const auto result = NarrowVarType(wide);
        ASSERT_FALSE(result) << wide;
        EXPECT_EQ(result.error(), (Error{6, "Overflow"})) << wide;
    }
}

TEST(VarTypeBits, ElementCodeKeepsByRefAndTopBitsAndPrefixPrefersArray) {
    struct Case {
        uint16_t varType;
        uint16_t elementCode;
        std::string prefix;
    };
    const std::vector<Case> cases = {
        {0x0003, 0x0003, ""},
        {0x0000, 0x0000, ""},
        {0x2000, 0x0000, "Array of "},
        {0x1000, 0x0000, "Fixed size array of "},
        {0x3000, 0x0000, "Array of "},
        {0x2008, 0x0008, "Array of "},
        {0x1003, 0x0003, "Fixed size array of "},
        {0x4000, 0x4000, ""},
        {0x6008, 0x4008, "Array of "},
        {0x8000, 0x8000, ""},
        {0xFFFF, 0xCFFF, "Array of "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ElementCode(c.varType), c.elementCode) << c.varType;
        EXPECT_EQ(ArrayPrefix(c.varType), c.prefix) << c.varType;
    }
}

TEST(HtmlEscape, OnlyAmpersandAndAngleBracketsChange) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"Plain_Name1", "Plain_Name1"},
        {"<script>", "&lt;script&gt;"},
        {"a&b", "a&amp;b"},
        {"&amp;", "&amp;amp;"},
        {"x<>&y", "x&lt;&gt;&amp;y"},
        {"<Unregistered External Type>", "&lt;Unregistered External Type&gt;"},
        {"\"quoted\" 'single' =;", "\"quoted\" 'single' =;"},
        {"C:\\Path With Blanks\\x.dll", "C:\\Path With Blanks\\x.dll"},
        {"Gr\xC3\xBC\xC3\x9F" "e&", "Gr\xC3\xBC\xC3\x9F" "e&amp;"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    // One special character at every place of texts up to three words long: the checks
    // run a word, then a part word, at a time.
    for (size_t length = 1; length <= 24; ++length) {
        for (size_t at = 0; at < length; ++at) {
            std::string text(length, 'a');
            text[at] = '>';
            cases.emplace_back(text, text.substr(0, at) + "&gt;" + text.substr(at + 1));
        }
    }
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(HtmlEscaped(text), escaped) << text;
        EXPECT_EQ(HtmlEscapedSize(text), escaped.size()) << text;
        std::string appended = "prefix";
        AppendHtmlEscaped(appended, text);
        EXPECT_EQ(appended, "prefix" + escaped) << text;
    }
}

}  // namespace
}  // namespace vantrel
