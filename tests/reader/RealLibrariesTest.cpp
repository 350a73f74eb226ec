// Every file of the real-library folder either opens as a sound library or says that
// it carries none; none crashes, and the large libraries decode completely.
#include <gtest/gtest.h>

#include <filesystem>

#include "ReaderChecks.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::testing {
namespace {

TEST(RealLibraries, EveryFileOpensOrSaysItCarriesNoLibrary) {
    if (!std::filesystem::is_directory(VANTREL_REAL_LIBS_DIR)) GTEST_SKIP() << "no real libraries";
    int opened = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VANTREL_REAL_LIBS_DIR)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = bytesOf(entry.path().string());
        Expected<LibraryInfo> library = readTypeLibrary(bytes, name);
        if (!library) {
            EXPECT_EQ(library.error().number, errc::CantLoadLibrary) << library.error().description;
            EXPECT_NE(library.error().description.find(name), std::string::npos);
            continue;
        }
        ++opened;
        EXPECT_FALSE(library->name.empty());
        EXPECT_GT(library->types.size(), 0u);
        EXPECT_EQ(inconsistency(*library), "");
        for (const TypeInfo& type : library->types) {
            const MembersRef typeMembers = type.members();
            EXPECT_FALSE(typeMembers.error()) << type.name << ": " << typeMembers.error()->description;
            EXPECT_FALSE(type.name.empty());
            for (const FuncDesc& func : typeMembers.funcs()) EXPECT_FALSE(func.name.empty()) << type.name;
            for (const VarDesc& var : typeMembers.vars()) EXPECT_FALSE(var.name.empty()) << type.name;
        }
    }
    // The Wine build carries 48 MSFT libraries (four .tlb files, the rest in DLLs).
    EXPECT_GE(opened, 45);
}

TEST(RealLibraries, MshtmlDecodesEveryFunction) {
    const std::string path = realLibraryPath("mshtml.tlb");
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no real libraries";
    Expected<LibraryInfo> library = readTypeLibrary(bytesOf(path), path);
    ASSERT_TRUE(library) << library.error().description;
    EXPECT_EQ(library->name, "MSHTML");
    size_t functions = 0;
    for (const TypeInfo& type : library->types) functions += type.members().shared()->funcs.size();
    EXPECT_GT(library->types.size(), 300u);
    EXPECT_GT(functions, 20000u);
    EXPECT_EQ(inconsistency(*library), "");
}

}  // namespace
}  // namespace vantrel::testing
