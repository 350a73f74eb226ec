// The real third-party libraries with imports resolved: how many report lines still show
// the placeholder, and which imported libraries they wait for. No stdole2 type may be
// among them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report/MemberReport.h"
#include "typelib/file/FileBytes.h"
#include "typelib/imports/LibraryCatalog.h"
#include "typelib/read/LibraryReader.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view Placeholder = "&lt;Unregistered External Type&gt;";

size_t placeholderLines(const std::string& page) {
    size_t lines = 0;
    size_t start = 0;
    while (start < page.size()) {
        size_t end = page.find("<br>", start);
        if (end == std::string::npos) end = page.size();
        if (std::string_view(page).substr(start, end - start).find(Placeholder) != std::string_view::npos)
            ++lines;
        start = end + 4;
    }
    return lines;
}

// The file named in an unreachable-import message: "... another type library (FILE) ...".
std::string missingLibraryOf(const Error& error) {
    const size_t open = error.description.find("type library (");
    if (open == std::string::npos) return error.description;
    const size_t from = open + 14;
    return error.description.substr(from, error.description.find(')', from) - from);
}

void tallyTypeRef(const TypeRef& type, std::map<std::string, size_t>& causes) {
    if ((type.VarType() & vt::TypeMask) != 0) return;
    Expected<TypeEntry> referenced = type.ReferencedType();
    if (!referenced && referenced.error().number == errc::LibNotRegistered)
        ++causes[missingLibraryOf(referenced.error())];
}

// Every unreachable type reference of the user view, by the library it waits for.
void tallyCauses(const TypeLibrary& library, const TypeEntry& type, std::map<std::string, size_t>& causes) {
    Expected<Collection<MemberItem>> members = library.GetMembers(type.index(), memberview::UserView);
    if (!members) return;
    for (const MemberItem& item : members->items()) {
        Expected<MemberEntry> entry = library.GetMember(type.index(), 0, item.MemberId, item.Name);
        if (!entry) continue;
        tallyTypeRef(entry->ReturnType, causes);
        for (const ParameterEntry& parameter : entry->Parameters.items())
            tallyTypeRef(parameter.Type, causes);
    }
}

std::vector<fs::path> realFiles() {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(VANTREL_REAL_LIBS_DIR, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Member names are views of the libraries' texts. A list must keep them good after the
// library, its loader and the view it came from are gone: an interface's inherited names
// lie in stdole2, which only the loader and the view held. (AddressSanitizer checks.)
TEST(RealLibrariesWithImports, AMemberListOutlivesItsLibraryAndLoader) {
    const fs::path file = fs::path(VANTREL_REAL_LIBS_DIR) / "mshtml.tlb";
    if (!fs::is_regular_file(file)) GTEST_SKIP() << "no " << file;
    std::optional<Collection<MemberItem>> members;
    std::vector<std::string> copies;
    {
        TypeLibraryLoader loader;
        Expected<TypeLibrary> library = loader.OpenFromFile(file.string());
        ASSERT_TRUE(library) << library.error().description;
        const SearchData type = library->FindType("IHTMLElement", 0).value();
        members = library->GetMembers(type, memberview::AllMembers).value();
        for (const MemberItem& item : members->items()) copies.emplace_back(item.Name);
        for (SearchData other = 0; other < 20; ++other) (void)library->GetMembers(other, 0);
    }
    ASSERT_GT(copies.size(), 7u);
    EXPECT_EQ(copies.front(), "QueryInterface");
    for (size_t i = 0; i < copies.size(); ++i) EXPECT_EQ(members->items()[i].Name, copies[i]);
}

TEST(RealLibrariesWithImports, NoStdoleTypeShowsThePlaceholder) {
    const std::vector<fs::path> files = realFiles();
    if (files.empty()) GTEST_SKIP() << "no real libraries";

    size_t libraries = 0, pages = 0, lines = 0;
    std::map<std::string, size_t> causes;
    for (const fs::path& file : files) {
        TypeLibraryLoader loader;  // one run of the tool per file
        Expected<TypeLibrary> library = loader.OpenFromFile(file.string());
        if (!library) continue;
        ++libraries;
        size_t fileLines = 0;
        const Collection<TypeEntry> types = library->Types();
        for (const TypeEntry& type : types.items()) {
            Expected<std::string> page = GetProperties(*library, file.string(), std::string(type.Name()), file.string());
            ASSERT_TRUE(page) << file << " " << type.Name() << ": " << page.error().description;
            ++pages;
            fileLines += placeholderLines(*page);
            tallyCauses(*library, type, causes);
        }
        if (fileLines) std::cout << "  " << file.filename().string() << ": " << fileLines << " lines\n";
        lines += fileLines;
    }
    std::cout << libraries << " libraries, " << pages << " pages, " << lines
              << " report lines with the placeholder\n";
    for (const auto& [library, count] : causes)
        std::cout << "  " << count << " type references wait for " << library << "\n";
    for (const auto& [library, count] : causes) {
        std::string folded = library;
        std::transform(folded.begin(), folded.end(), folded.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_EQ(folded.find("stdole"), std::string::npos) << count << " references to " << library;
    }
    EXPECT_GE(libraries, 40u);
    RecordProperty("placeholder_lines", static_cast<int>(lines));
}

// Every import of every real library names the same type whether it is found in the
// stdole2.tlb beside the library or, with the library moved where no stdole2.tlb is,
// in the built-in one.
TEST(RealLibrariesWithImports, TheBuiltInStdoleAnswersAsTheShippedFile) {
    const std::vector<fs::path> files = realFiles();
    if (files.empty()) GTEST_SKIP() << "no real libraries";
    const std::shared_ptr<LibraryCatalog> beside = LibraryCatalog::create();
    const std::shared_ptr<LibraryCatalog> builtIn = LibraryCatalog::create();
    size_t imports = 0;
    for (const fs::path& file : files) {
        Expected<FileBuffer> bytes = readWholeFile(file.string());
        if (!bytes) continue;
        Expected<LibraryInfo> info = readTypeLibrary(*bytes, file.string());
        if (!info || info->importedTypes.empty() || info->name == "stdole") continue;
        const auto there = beside->adopt(file.string(), *info);
        const auto moved = builtIn->adopt("/nonexistent-folder/" + file.filename().string(), *info);
        for (size_t i = 0; i < info->importedTypes.size(); ++i) {
            SCOPED_TRACE(file.filename().string() + " import " + std::to_string(i));
            Expected<TypeEntry> a = beside->resolve(there, static_cast<int32_t>(i));
            Expected<TypeEntry> b = builtIn->resolve(moved, static_cast<int32_t>(i));
            ASSERT_TRUE(a) << a.error().description;
            ASSERT_TRUE(b) << b.error().description;
            EXPECT_EQ(a->Name(), b->Name());
            EXPECT_EQ(a->index(), b->index());
            EXPECT_EQ(b->library()->path, "stdole2.tlb (built in)");
            ++imports;
        }
    }
    EXPECT_GT(imports, 50u);
    // The shipped stdole2.tlb is read once for all of them.
    EXPECT_EQ(beside->filesOpened().size(), 1u);
    EXPECT_TRUE(builtIn->filesOpened().empty());
}

}  // namespace
}  // namespace vantrel
