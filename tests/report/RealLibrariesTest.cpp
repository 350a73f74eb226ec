// The whole chain on the real third-party libraries: every type of every library gives
// a page, and every page lists exactly the type's captioned members.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "PageChecks.h"
#include "report/MemberReport.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

// Files that can carry a type library; most DLLs carry none, which is no fault here.
std::vector<std::filesystem::path> candidateFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(VANTREL_REAL_LIBS_DIR, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(RealLibraries, EveryTypeOfEveryLibraryGivesItsPage) {
    const std::vector<std::filesystem::path> files = candidateFiles();
    if (files.empty()) GTEST_SKIP() << "no real libraries in " << VANTREL_REAL_LIBS_DIR
                                    << " (scripts/fetch-real-libraries.sh unpacks them)";
    size_t librariesOpened = 0;
    size_t pages = 0;
    for (const auto& file : files) {
        TypeLibraryLoader loader;
        const auto library = loader.OpenFromFile(file.string());
        if (!library) {
            EXPECT_NE(file.extension(), ".tlb") << file << ": " << library.error().description;
            continue;
        }
        ++librariesOpened;
        const Collection<TypeEntry> types = library->Types();
        for (const TypeEntry& type : types.items()) {
            const auto page = GetProperties(*library, file.string(), std::string(type.Name()), file.string());
            ASSERT_TRUE(page) << file << " " << type.Name() << ": " << page.error().description;
            EXPECT_TRUE(testing::PageListsMembers(*library, std::string(type.Name()), *page))
                << file << " " << type.Name();
            ++pages;
        }
    }
    // Debian's libwine ships about fifty of them.
    EXPECT_GE(librariesOpened, 40u);
    RecordProperty("libraries", static_cast<int>(librariesOpened));
    RecordProperty("pages", static_cast<int>(pages));
}

}  // namespace
}  // namespace vantrel
