// The containers a library arrives in: a standalone .tlb, a PE32 or PE32+ DLL's TYPELIB
// resource (id 1, else the lowest), and files that carry no library at all.
#include <gtest/gtest.h>

#include "FixtureLibrary.h"

namespace vantrel::testing {
namespace {

TEST(FixtureContainers, DllResourceDecodesLikeTheStandaloneLibrary) {
    const std::pair<const char*, const char*> cases[] = {
        {"Fixture32.dll", "Fixture.tlb"},   {"Fixture64.dll", "Fixture64.tlb"},
        {"Control32.dll", "Control.tlb"},   {"Control64.dll", "Control64.tlb"},
        {"Second32.dll", "Second.tlb"},     {"Second64.dll", "Second64.tlb"},
        {"TwoLibraries.dll", "Fixture.tlb"}, {"LowestId.dll", "Second.tlb"},
    };
    for (const auto& [dll, tlb] : cases) {
        EXPECT_EQ(dumpLibrary(fixture(dll), true), dumpLibrary(fixture(tlb), true))
            << dll << " against " << tlb;
    }
}

TEST(FixtureContainers, Win32AndWin64BuildsDifferOnlyInLayout) {
    for (const char* name : {"Fixture", "Second", "Importer", "Control"}) {
        const std::string win32 = std::string(name) + ".tlb";
        const std::string win64 = std::string(name) + "64.tlb";
        EXPECT_EQ(dumpLibrary(fixture(win32), false), dumpLibrary(fixture(win64), false)) << name;
        EXPECT_EQ(fixture(win32).pointerSize(), 4u);
        EXPECT_EQ(fixture(win64).pointerSize(), 8u);
    }
}

TEST(FixtureContainers, ResourceOneOrElseTheLowestIdIsRead) {
    EXPECT_EQ(fixture("TwoLibraries.dll").name, "VantrelFixture");  // ids 1 and 2
    EXPECT_EQ(fixture("LowestId.dll").name, "VantrelSecond");       // ids 3 and 5
}

TEST(FixtureContainers, TheSampleComponentIsTheControlLibrary) {
    const std::string sample = std::string(VANTREL_FIXTURES_DIR) + "/../../samples/VantrelSample.dll";
    const std::vector<uint8_t> bytes = readFileBytes(sample);
    Expected<LibraryInfo> library = readTypeLibrary(bytes, sample);
    ASSERT_TRUE(library) << library.error().description;
    EXPECT_EQ(dumpLibrary(*library, true), dumpLibrary(fixture("Control32.dll"), true));
}

TEST(FixtureContainers, FilesWithoutALibraryGiveErrorsNamingTheFile) {
    const std::pair<const char*, int32_t> cases[] = {
        {"NoTypeLib.dll", errc::CantLoadLibrary},
        {"NotALibrary.txt", errc::CantLoadLibrary},
        {"Empty.tlb", errc::CantLoadLibrary},
    };
    for (const auto& [name, number] : cases) {
        SCOPED_TRACE(name);
        Expected<LibraryInfo> library = readFixture(name);
        ASSERT_FALSE(library);
        EXPECT_EQ(library.error().number, number) << library.error().description;
        EXPECT_NE(library.error().description.find(name), std::string::npos)
            << library.error().description;
    }
}

TEST(FixtureContainers, APeWithoutTypeLibrarySaysSo) {
    Expected<LibraryInfo> library = readFixture("NoTypeLib.dll");
    ASSERT_FALSE(library);
    const std::string& description = library.error().description;
    EXPECT_NE(description.find("TYPELIB"), std::string::npos) << description;
}

TEST(FixtureContainers, EveryTruncationOfAFixtureFailsCleanly) {
    // Cutting a valid file short anywhere must give an error (or, past the last byte
    // the reader needs, the library), never a crash; the sanitizer presets check the
    // rest. Steps of 7 keep the run short while hitting every structure.
    for (const char* name : {"Fixture.tlb", "Fixture64.dll"}) {
        const std::vector<uint8_t> bytes = readFileBytes(fixturePath(name));
        for (size_t length = 0; length < bytes.size(); length += 7) {
            Expected<LibraryInfo> library =
                readTypeLibrary(std::span<const uint8_t>(bytes.data(), length), name);
            if (!library) {
                EXPECT_FALSE(library.error().description.empty()) << length;
            }
        }
    }
}

}  // namespace
}  // namespace vantrel::testing
