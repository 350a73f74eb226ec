// Whole report pages of fixture types, byte for byte, against pages stored under
// golden/. To regenerate them after a deliberate change of the page, run the test with
// VANTREL_UPDATE_GOLDEN=1 (see golden/README.md) and read the diff before committing.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/MemberReport.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

struct GoldenCase {
    std::string fixture;    // under tests/fixtures/
    std::string typeName;
    std::string shownPath;  // strDLLName and strCurrentDLL, as a window would pass them
    std::string golden;     // file under golden/
};

// Together these show every line format, every section empty and filled, numbering
// across interleaved kinds, subs and functions with 0, 1 and 3 parameters, arrays,
// byref, user-defined types, an unreachable imported type, escaped names, the members of
// a dispinterface that wraps an interface and properties left with some of their accessors.
const std::vector<GoldenCase> Cases = {
    {"Fixture.tlb", "IFxDual", "C:\\Fixtures\\Fixture.tlb", "Fixture_IFxDual.html"},
    {"Fixture.tlb", "DFxDispatch", "C:\\Fixtures\\Fixture.tlb", "Fixture_DFxDispatch.html"},
    {"Fixture.tlb", "IFxDerived", "C:\\Fixtures\\Fixture.tlb", "Fixture_IFxDerived.html"},
    {"Fixture.tlb", "FxRect", "C:\\Fixtures\\Fixture.tlb", "Fixture_FxRect.html"},
    {"Fixture.tlb", "FxObject", "C:\\Fixtures\\Fixture.tlb", "Fixture_FxObject.html"},
    {"Fixture.tlb", "FxColor", "C:\\Fixtures\\Fixture.tlb", "Fixture_FxColor.html"},
    {"Fixture.tlb", "FxModule", "C:\\Fixtures\\Fixture.tlb", "Fixture_FxModule.html"},
    {"Fixture.tlb", "FxHandle", "C:\\Fixtures\\Fixture.tlb", "Fixture_FxHandle.html"},
    {"Wrapper.tlb", "DWrapInner", "C:\\Fixtures\\Wrapper.tlb", "Wrapper_DWrapInner.html"},
    {"Wrapper.tlb", "WrapObject", "C:\\Fixtures\\Wrapper.tlb", "Wrapper_WrapObject.html"},
    {"imports-missing/Importer.tlb", "IImporterThing", "C:\\Fixtures\\imports-missing\\Importer.tlb",
     "ImportsMissing_IImporterThing.html"},
    {"Escaping.tlb", "<script>", "C:\\Fixtures & <Markup>\\Escaping.tlb", "Escaping_script.html"},
    {"Escaping.tlb", "EscapingEnum", "C:\\Fixtures & <Markup>\\Escaping.tlb",
     "Escaping_EscapingEnum.html"},
};

void PrintTo(const GoldenCase& c, std::ostream* out) {
    *out << c.fixture << " " << c.typeName;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool updating() {
    const char* flag = std::getenv("VANTREL_UPDATE_GOLDEN");
    return flag != nullptr && std::string(flag) == "1";
}

class GoldenPage : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenPage, MatchesStoredPageByteForByte) {
    const GoldenCase& c = GetParam();
    TypeLibraryLoader loader;
    const auto library = loader.OpenFromFile(std::string(VANTREL_FIXTURES_DIR) + "/" + c.fixture);
    ASSERT_TRUE(library) << library.error().description;
    const auto page = GetProperties(*library, c.shownPath, c.typeName, c.shownPath);
    ASSERT_TRUE(page) << page.error().description;

    const std::filesystem::path goldenPath = std::filesystem::path(VANTREL_GOLDEN_DIR) / c.golden;
    if (updating()) {
        std::ofstream(goldenPath, std::ios::binary) << *page;
        GTEST_SKIP() << "wrote " << goldenPath;
    }
    ASSERT_TRUE(std::filesystem::exists(goldenPath)) << goldenPath;
    EXPECT_EQ(*page, readFile(goldenPath)) << goldenPath;
}

std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.golden.substr(0, info.param.golden.find('.'));
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GoldenPage, ::testing::ValuesIn(Cases), caseName);

}  // namespace
}  // namespace vantrel
