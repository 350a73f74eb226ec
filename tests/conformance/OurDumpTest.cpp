// Our side of the conformance dump: the lines that carry the platform's way of presenting
// a library (dispatch views, slots, which names are comparable), and that one library
// gives the same dump whatever file it comes in.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/conformance/OurDump.h"

namespace vantrel::conformance {
namespace {

std::string dumpOf(const std::string& file) {
    TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(std::string(VANTREL_FIXTURES_DIR) + "/" + file);
    if (!library) {
        ADD_FAILURE() << file << ": " << library.error().description;
        return {};
    }
    return dumpLibrary(*library);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Function lines without their position: a dispatch view's positions move when the
// functions inherited from another library can be reached.
std::string withoutFuncIndex(const std::string& line) {
    static const std::regex index(R"(^(\s*func )index=\d+ )");
    return std::regex_replace(line, index, "$1");
}

bool contains(const std::vector<std::string>& lines, const std::string& wanted) {
    const std::string target = withoutFuncIndex(wanted);
    for (const std::string& line : lines)
        if (withoutFuncIndex(line) == target) return true;
    return false;
}

TEST(OurDump, PresentsTheFixtureAsThePlatformDoes) {
    const std::vector<std::string> lines = linesOf(dumpOf("Fixture64.tlb"));
    const char* const expected[] = {
        // The library's own lcid (language-neutral), FHASDISKIMAGE added.
        "library name=\"VantrelFixture\" libid={5A1E0000-0000-4000-8000-000000000001} lcid=0x0 "
        "syskind=3 version=2.5 flags=0x8",
        // A dual's dispatch view: no slots, the retval becomes the result and the lcid
        // parameter goes...
        "  func index=16 memid=12 invkind=1 funckind=4 flags=0x0 callconv=4 optional=0 "
        "name=\"WithLcid\" return=3",
        // ...and its vtable view as stored, slots in pointer-size steps.
        "  view vtable kind=3 flags=0x1140 funcs=11 vars=0 impls=1",
        "    impl index=0 flags=0x0 type=IFxDualBase",
        "    func index=0 memid=20 invkind=1 funckind=1 flags=0x0 callconv=4 slot=24 optional=1 "
        "name=\"Optionals\" return=25",
        // Defaults and their variant types.
        "      param index=3 name=\"text\" flags=0x31 type=8 default=8:\"abc\"",
        "      param index=5 name=\"shade\" flags=0x31 type=udt(FxColor) default=3:2",
        // A property put's value is unnamed; shared member ids name no parameters.
        "  func index=8 memid=5 invkind=4 funckind=4 flags=0x0 callconv=4 optional=0 "
        "name=\"PutOnly\" return=24",
        "    param index=0 flags=0x1 type=5",
        // Arrays, aliases, constants.
        "  var index=3 memid=1073741827 varkind=0 flags=0x0 name=\"grid\" type=carray(2;2@0;3@0)",
        "type index=6 name=\"FxPointAlias\" guid={5A1E0000-0000-4000-8000-000000000016} kind=6 "
        "flags=0x0 funcs=0 vars=0 impls=0 alias=udt(FxPoint)",
        "  var index=3 memid=1610612741 varkind=2 flags=0x0 name=\"FxGreeting\" type=8 "
        "value=8:\"Hello, fixture\"",
        // Module functions have no slot; coclass interfaces keep their flags.
        "  func index=0 memid=1610612736 invkind=1 funckind=3 flags=0x0 callconv=4 optional=0 "
        "name=\"FxCompute\" return=3",
        "  impl index=3 flags=0x3 type=DFxEvents",
    };
    for (const char* line : expected) EXPECT_TRUE(contains(lines, line)) << line;
}

TEST(OurDump, OneLibraryGivesOneDumpInEveryContainer) {
    struct Case { const char* first; const char* second; size_t differingLines; };
    const Case cases[] = {
        {"Fixture.tlb", "Fixture32.dll", 0},
        {"Fixture64.tlb", "Fixture64.dll", 0},
        {"Fixture.tlb", "TwoLibraries.dll", 0},
        {"Second.tlb", "LowestId.dll", 0},
        // Win32 and Win64 builds differ in the library's SYSKIND only: slots are counted
        // in pointers, not bytes.
        {"Fixture.tlb", "Fixture64.tlb", 1},
        {"Control.tlb", "Control64.tlb", 1},
    };
    for (const Case& c : cases) {
        const auto a = linesOf(dumpOf(c.first));
        const auto b = linesOf(dumpOf(c.second));
        ASSERT_EQ(a.size(), b.size()) << c.first << " / " << c.second;
        size_t differing = 0;
        for (size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i] ? 1 : 0;
        EXPECT_EQ(differing, c.differingLines) << c.first << " / " << c.second;
    }
}

TEST(OurDump, EscapesTextsAndKeepsUtf8) {
    const std::string escaping = dumpOf("Escaping.tlb");
    EXPECT_NE(escaping.find("name=\"<script>\""), std::string::npos);
    EXPECT_NE(escaping.find("name=\"a&b\""), std::string::npos);
    const std::string names = dumpOf("Names.tlb");
    EXPECT_NE(names.find("name=\"ICaf\xC3\xA9\""), std::string::npos);
}

}  // namespace
}  // namespace vantrel::conformance
