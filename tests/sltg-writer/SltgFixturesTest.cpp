// The SLTG fixtures (tests/fixtures/sltg): written again from their MSFT twins they come
// out byte for byte as committed, and, once our reader reads SLTG, each one reads as its
// twin does, apart from what SLTG cannot hold.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/conformance/OurDump.h"
#include "tools/sltg-writer/SltgWriter.h"

namespace vantrel::sltg {
namespace {

const char* const FixtureNames[] = {"Fixture", "Second", "Importer", "Control", "Names", "Escaping"};

std::string msftPath(const std::string& name) { return std::string(VANTREL_FIXTURES_DIR) + "/" + name + ".tlb"; }
std::string sltgPath(const std::string& name) { return std::string(VANTREL_FIXTURES_DIR) + "/sltg/" + name + ".tlb"; }

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string dumpOf(TypeLibraryLoader& loader, const std::string& path) {
    auto library = loader.OpenFromFile(path);
    if (!library) return "load error: " + library.error().description;
    return conformance::dumpLibrary(*library);
}

// Takes out of a dump what SLTG cannot hold: default values; FOPT and FHASDEFAULT (SLTG
// keeps only the count of optional parameters); the variant type of a constant's value
// (SLTG stores a bare 32-bit integer).
std::string withoutSltgGaps(const std::string& dump) {
    static const std::regex param(R"(^(\s*param index=\d+ (?:name="(?:[^"\\]|\\.)*" )?flags=0x)([0-9A-F]+)( type=.*?)(?: default=.*)?$)");
    static const std::regex constant(R"(( value=)\d+:)");
    std::istringstream in(dump);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (std::regex_match(line, match, param)) {
            const unsigned flags = std::stoul(match[2].str(), nullptr, 16) & ~0x30u;
            std::ostringstream hex;
            hex << std::uppercase << std::hex << flags;
            line = match[1].str() + hex.str() + match[3].str();
        }
        out += std::regex_replace(line, constant, "$1") + "\n";
    }
    return out;
}

class SltgFixture : public testing::TestWithParam<const char*> {};

TEST_P(SltgFixture, IsWrittenAgainByteForByte) {
    TypeLibraryLoader loader;
    auto msft = loader.OpenFromFile(msftPath(GetParam()));
    ASSERT_TRUE(msft) << msft.error().description;
    auto written = writeLibrary(*msft);
    ASSERT_TRUE(written) << written.error().description;
    EXPECT_TRUE(*written == fileBytes(sltgPath(GetParam())))
        << sltgPath(GetParam()) << " is stale: run tools/make-sltg-fixtures.sh";
}

TEST_P(SltgFixture, ReadsAsItsMsftTwin) {
    if (!VANTREL_SLTG_FIXTURES) GTEST_SKIP() << "VANTREL_SLTG_FIXTURES is off: no SLTG reader yet";
    TypeLibraryLoader loader;
    EXPECT_EQ(withoutSltgGaps(dumpOf(loader, sltgPath(GetParam()))),
              withoutSltgGaps(dumpOf(loader, msftPath(GetParam()))));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SltgFixture, testing::ValuesIn(FixtureNames));

// Libraries the writer must refuse rather than write a file that names the wrong types.
TEST(SltgWriter, RefusesWhatSltgCannotHold) {
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"Fixture64.tlb", "16- and 32-bit libraries only"},
        // Second.tlb is not beside it: its imported types can't be numbered.
        {"imports-missing/Importer.tlb", "Second.tlb"},
    };
    for (const auto& c : cases) {
        TypeLibraryLoader loader;
        auto library = loader.OpenFromFile(std::string(VANTREL_FIXTURES_DIR) + "/" + c.file);
        ASSERT_TRUE(library) << c.file;
        auto written = writeLibrary(*library);
        ASSERT_FALSE(written) << c.file;
        EXPECT_NE(written.error().description.find(c.reason), std::string::npos)
            << c.file << ": " << written.error().description;
    }
}

}  // namespace
}  // namespace vantrel::sltg
