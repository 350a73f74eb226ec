#include <gtest/gtest.h>

#include <filesystem>

#include "ReaderChecks.h"
#include "typelib/FileBytes.h"

namespace vantrel::testing {
namespace {

TEST(FileBytes, ReadsAWholeFile) {
    const std::string path = fixturePath("Fixture.tlb");
    Expected<std::vector<uint8_t>> bytes = readWholeFile(path);
    ASSERT_TRUE(bytes) << bytes.error().description;
    EXPECT_EQ(*bytes, bytesOf(path));
}

TEST(FileBytes, MissingFilesAndFoldersAreErrors) {
    const std::string missing = fixturePath("no-such-file.tlb");
    Expected<std::vector<uint8_t>> none = readWholeFile(missing);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().number, errc::FileNotFound);
    EXPECT_EQ(none.error().description, "File not found: " + missing);

    Expected<std::vector<uint8_t>> folder = readWholeFile(VANTREL_FIXTURES_DIR);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().number, errc::PathFileAccess);
    EXPECT_NE(folder.error().description.find(VANTREL_FIXTURES_DIR), std::string::npos);
}

}  // namespace
}  // namespace vantrel::testing
