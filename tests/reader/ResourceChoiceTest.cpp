// Files that carry several type libraries: which one a reading opens, by default and by
// resource id, whether the file is read whole or in parts; and the list of all of them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ReaderChecks.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::testing {
namespace {

// The library's name, or "error: " and the description.
std::string outcome(const Expected<LibraryInfo>& library) {
    return library ? library->name : "error: " + library.error().description;
}

TEST(ResourceChoice, OpensTheDefaultOrTheChosenResource) {
    struct Case {
        const char* file;
        std::optional<uint32_t> resourceId;
        std::string expected;  // a library name, or a part of the error
    };
    const Case cases[] = {
        {"TwoLibraries.dll", std::nullopt, "VantrelFixture"},  // id 1
        {"TwoLibraries.dll", 1, "VantrelFixture"},
        {"TwoLibraries.dll", 2, "VantrelSecond"},
        {"TwoLibraries.dll", 3, "error: 'TwoLibraries.dll' has no TYPELIB resource with the id 3"},
        {"LowestId.dll", std::nullopt, "VantrelSecond"},        // no 1: the lowest, 3
        {"LowestId.dll", 5, "VantrelFixture"},
        {"LowestId.dll", 1, "error: 'LowestId.dll' has no TYPELIB resource with the id 1"},
        {"Fixture32.dll", std::nullopt, "VantrelFixture"},
        {"Fixture.tlb", 1, "error: 'Fixture.tlb' is not a PE file"},
        {"NoTypeLib.dll", 1, "error: 'NoTypeLib.dll' has no TYPELIB resource with the id 1"},
    };
    // Read in parts from the first byte on, so the parts' own choice is checked too.
    const FileReadLimits inParts{0, 64 * 1024};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " resource " + (c.resourceId ? std::to_string(*c.resourceId) : "none"));
        const ReadOptions options{0, c.resourceId, {}};
        const std::string whole = outcome(readTypeLibrary(bytesOf(fixturePath(c.file)), c.file, options));
        EXPECT_TRUE(whole.starts_with(c.expected)) << whole;
        const std::string path = fixturePath(c.file);
        const std::string parts = outcome(readTypeLibraryFile(path, options, inParts));
        EXPECT_EQ(parts, outcome(readTypeLibraryFile(path, options)));
        EXPECT_EQ(parts.starts_with("error: "), whole.starts_with("error: ")) << parts;
    }
}

// Each line: resource id, name, type count.
std::string listing(const std::string& file) {
    Expected<std::vector<CarriedLibrary>> carried = readCarriedLibraries(fixturePath(file));
    if (!carried) return "error: " + carried.error().description;
    std::string text;
    for (const CarriedLibrary& library : *carried) {
        text += std::to_string(library.resourceId) + " " + outcome(library.library);
        if (library.library) text += " " + std::to_string(library.library->types.size());
        text += "\n";
    }
    return text;
}

TEST(ResourceChoice, ListsEveryLibraryAFileCarries) {
    const std::string fixture = std::to_string(readTypeLibrary(bytesOf(fixturePath("Fixture.tlb")), "")->types.size());
    const std::string second = std::to_string(readTypeLibrary(bytesOf(fixturePath("Second.tlb")), "")->types.size());
    EXPECT_EQ(listing("TwoLibraries.dll"), "1 VantrelFixture " + fixture + "\n2 VantrelSecond " + second + "\n");
    EXPECT_EQ(listing("LowestId.dll"), "3 VantrelSecond " + second + "\n5 VantrelFixture " + fixture + "\n");
    EXPECT_EQ(listing("Second.tlb"), "0 VantrelSecond " + second + "\n");
    EXPECT_TRUE(listing("NoTypeLib.dll").starts_with("error: ")) << listing("NoTypeLib.dll");
    EXPECT_TRUE(listing("NotALibrary.txt").starts_with("error: ")) << listing("NotALibrary.txt");
}

}  // namespace
}  // namespace vantrel::testing
