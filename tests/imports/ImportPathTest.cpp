// The import search path: PathImporter.tlb imports libwine's XML library (LIBID
// F5078F18-..., version 3.0; libwine has 2.6, 3.0, 4.0 and 6.0 of it) and its media-player
// library, which lie in no folder near it. With libwine's folder on the path they are
// named; the version chosen is the highest not older than the one imported.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "typelib/file/FileBytes.h"
#include "typelib/imports/ImportPath.h"
#include "typelib/imports/LibraryCatalog.h"
#include "typelib/read/LibraryReader.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const std::string Fixtures = VANTREL_FIXTURES_DIR;
const std::string Libwine = VANTREL_REAL_LIBS_DIR;

TEST(ImportPath, SplitsTheListAtColonsAndDropsEmptyEntries) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"/a", {"/a"}},
        {"/a:/b c:rel", {"/a", "/b c", "rel"}},
        {"::/a::/b:", {"/a", "/b"}},
    };
    for (const auto& [list, folders] : cases) EXPECT_EQ(splitImportPath(list), folders) << list;
}

LibraryInfo readPathImporter(uint16_t xmlMajorVersion) {
    const std::string path = Fixtures + "/PathImporter.tlb";
    Expected<FileBuffer> bytes = readWholeFile(path);
    if (!bytes) throw std::runtime_error(bytes.error().description);
    Expected<LibraryInfo> info = readTypeLibrary(*bytes, path);
    if (!info) throw std::runtime_error(info.error().description);
    for (ImportedLibrary& imported : info->importedLibraries)
        if (imported.fileName == "msxml3.dll") imported.majorVersion = xmlMajorVersion;
    return std::move(info).value();
}

// "TYPE in FILE" for each parameter and the result of IPathUser's Load and Play, or the
// error number where the type can't be reached.
std::vector<std::string> importedTypes(const TypeLibrary& library) {
    const SearchData type = *library.FindType("IPathUser", 239);
    std::vector<std::string> found;
    auto describe = [&](const TypeRef& ref) {
        Expected<TypeEntry> entry = ref.ReferencedType();
        found.push_back(entry ? std::string(entry->Name()) + " in " + fs::path(entry->library()->path).filename().string()
                              : std::to_string(entry.error().number));
    };
    const Collection<MemberItem> members = *library.GetMembers(type, memberview::UserView);
    for (const MemberItem& item : members.items()) {
        const MemberEntry entry = *library.GetMember(type, 0, item.MemberId, "");
        for (const ParameterEntry& parameter : entry.Parameters.items()) describe(parameter.Type);
        if (entry.ReturnType.VarType() == 0) describe(entry.ReturnType);
    }
    return found;
}

const std::string Unreachable = std::to_string(errc::LibNotRegistered);

TEST(ImportPath, NamesImportsFromTheFirstFolderThatHoldsANewEnoughVersion) {
    if (!fs::exists(Libwine + "/msxml6.dll")) GTEST_SKIP() << "no libwine libraries";
    struct Case {
        std::vector<std::string> searchPath;
        uint16_t xmlMajorVersion;  // as imported
        std::vector<std::string> expected;
    };
    // The fixtures' folder holds files that are no type library; a missing folder lists nothing.
    const std::vector<std::string> path = {"/nonexistent/vantrel", Fixtures, Libwine};
    const std::vector<Case> cases = {
        {{}, 3, {Unreachable, Unreachable, Unreachable}},
        {path, 3, {"IXMLDOMDocument in msxml6.dll", "IXMLDOMNode in msxml6.dll", "IWMPPlayer in wmp.dll"}},
        {path, 6, {"IXMLDOMDocument in msxml6.dll", "IXMLDOMNode in msxml6.dll", "IWMPPlayer in wmp.dll"}},
        {path, 7, {Unreachable, Unreachable, "IWMPPlayer in wmp.dll"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("path of " + std::to_string(c.searchPath.size()) + ", version " +
                     std::to_string(c.xmlMajorVersion));
        const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
        catalog->setSearchPath(c.searchPath);
        const TypeLibrary library(catalog->adopt(Fixtures + "/PathImporter.tlb", readPathImporter(c.xmlMajorVersion)));
        EXPECT_EQ(importedTypes(library), c.expected);
        // Asked again, nothing is read again.
        const std::vector<std::string> opened = catalog->filesOpened();
        EXPECT_EQ(importedTypes(library), c.expected);
        EXPECT_EQ(catalog->filesOpened(), opened);
        EXPECT_EQ(std::set<std::string>(opened.begin(), opened.end()).size(), opened.size());
    }
}

}  // namespace
}  // namespace vantrel
