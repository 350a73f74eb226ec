#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ReaderChecks.h"
#include "typelib/file/FileBytes.h"

namespace vantrel::testing {
namespace {

TEST(FileBytes, ReadsAWholeFile) {
    const std::string path = fixturePath("Fixture.tlb");
    Expected<FileBuffer> bytes = readWholeFile(path);
    ASSERT_TRUE(bytes) << bytes.error().description;
    EXPECT_EQ(std::vector<uint8_t>(bytes->begin(), bytes->end()), bytesOf(path));
}

TEST(FileBytes, MissingFilesAndFoldersAreErrors) {
    const std::string missing = fixturePath("no-such-file.tlb");
    Expected<FileBuffer> none = readWholeFile(missing);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().number, errc::FileNotFound);
    EXPECT_EQ(none.error().description, "File not found: " + missing);

    Expected<FileBuffer> folder = readWholeFile(VANTREL_FIXTURES_DIR);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().number, errc::PathFileAccess);
    EXPECT_NE(folder.error().description.find(VANTREL_FIXTURES_DIR), std::string::npos);
}

// Ranges past the end are refused before anything is allocated, and leave the file usable.
TEST(FileBytes, ReadsRangesInsideTheFileOnly) {
    const std::string path = fixturePath("Fixture.tlb");
    const std::vector<uint8_t> whole = bytesOf(path);
    const uint64_t size = whole.size(), all = ~uint64_t{0};
    const std::pair<uint64_t, uint64_t> inside[] = {{0, 4}, {0x10, 0x20}, {size - 1, 1}, {size, 0}, {0, size}};
    const std::pair<uint64_t, uint64_t> outside[] = {{size, 1}, {size - 1, 2}, {1, size}, {0, all}, {all, 2}};
    Expected<LibraryFile> file = LibraryFile::open(path);
    ASSERT_TRUE(file) << file.error().description;
    uint64_t read = 0;
    for (size_t i = 0; i < std::size(inside); ++i) {
        Expected<HeldBytes> refused = file->readAt(outside[i].first, outside[i].second);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().description, "The file '" + path + "' can't be read");
        const auto [offset, length] = inside[i];
        Expected<HeldBytes> bytes = file->readAt(offset, length);
        ASSERT_TRUE(bytes) << offset << "+" << length;
        const auto from = whole.begin() + static_cast<std::ptrdiff_t>(offset);
        EXPECT_TRUE(std::equal(bytes->bytes.begin(), bytes->bytes.end(), from, from + static_cast<std::ptrdiff_t>(length)));
        EXPECT_EQ(file->bytesRead(), read += length);
    }
}

}  // namespace
}  // namespace vantrel::testing
