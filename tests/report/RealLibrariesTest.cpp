// The whole chain on the real third-party libraries: every type of every library gives
// a page, and every page lists exactly the type's captioned members. A library that keeps
// no decoded members, so that each type's members are decoded again whenever asked for,
// and in the other order, gives every page the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "PageChecks.h"
#include "report/MemberReport.h"
#include "typelib/read/ReadOptions.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

// Files that can carry a type library, libwine's and the corpus's; most DLLs carry none,
// which is no fault here.
std::vector<std::filesystem::path> candidateFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const char* folder : {VANTREL_REAL_LIBS_DIR, VANTREL_CORPUS_DIR})
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The page of each type, or its error, from the last type to the first.
std::vector<std::string> pagesBackwards(const TypeLibrary& library, const std::string& path) {
    const Collection<TypeEntry> listed = library.Types();
    const std::vector<TypeEntry>& types = listed.items();
    std::vector<std::string> pages(types.size());
    for (size_t i = types.size(); i-- > 0;) {
        const auto page = GetProperties(library, path, std::string(types[i].Name()), path);
        pages[i] = page ? *page : page.error().description;
    }
    return pages;
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
        ReadOptions keepingNone;
        keepingNone.keptMemberBytes = 0;
        const auto decodedAgain = loader.OpenFromFile(file.string(), keepingNone);
        ASSERT_TRUE(decodedAgain) << file;
        const std::vector<std::string> backwards = pagesBackwards(*decodedAgain, file.string());
        const Collection<TypeEntry> types = library->Types();
        for (const TypeEntry& type : types.items()) {
            const auto page = GetProperties(*library, file.string(), std::string(type.Name()), file.string());
            const std::string shown = page ? *page : page.error().description;
            EXPECT_EQ(shown, backwards[static_cast<size_t>(type.index())]) << file << " " << type.Name();
            if (!page) {
                // Only the damaged corpus files have types that give no page.
                EXPECT_NE(file.string().find("damaged"), std::string::npos) << file << ": " << shown;
                continue;
            }
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
