// Imported types of the fixture libraries: stdole2's types through the built-in library,
// a second library found beside the importer, the placeholder when it is missing, and
// the search's promises (each file opened once, self-imports, libraries importing each
// other).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "typelib/file/FileBytes.h"
#include "typelib/imports/LibraryCatalog.h"
#include "typelib/read/LibraryReader.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

std::string fixture(const std::string& file) { return std::string(VANTREL_FIXTURES_DIR) + "/" + file; }

TypeLibrary open(TypeLibraryLoader& loader, const std::string& path) {
    Expected<TypeLibrary> library = loader.OpenFromFile(path);
    if (!library) throw std::runtime_error(path + ": " + library.error().description);
    return std::move(library).value();
}

LibraryInfo read(const std::string& path) {
    Expected<FileBuffer> bytes = readWholeFile(path);
    if (!bytes) throw std::runtime_error(bytes.error().description);
    Expected<LibraryInfo> info = readTypeLibrary(*bytes, path);
    if (!info) throw std::runtime_error(info.error().description);
    return std::move(info).value();
}

SearchData typeNamed(const TypeLibrary& library, const std::string& name) {
    Expected<SearchData> found = library.FindType(name, 0);
    if (!found) throw std::runtime_error(found.error().description);
    return *found;
}

std::vector<MemberItem> fullView(const TypeLibrary& library, const std::string& type) {
    Expected<Collection<MemberItem>> members =
        library.GetMembers(typeNamed(library, type), memberview::AllMembers);
    if (!members) throw std::runtime_error(members.error().description);
    return members->items();
}

std::vector<std::string> namesOf(const std::vector<MemberItem>& items) {
    std::vector<std::string> names;
    for (const MemberItem& item : items) names.emplace_back(item.Name);
    return names;
}

MemberEntry member(const TypeLibrary& library, const std::string& type, const std::string& name) {
    for (const MemberItem& item : fullView(library, type))
        if (item.Name == name) {
            Expected<MemberEntry> entry = library.GetMember(typeNamed(library, type), 0, item.MemberId, "");
            if (!entry) throw std::runtime_error(entry.error().description);
            return std::move(entry).value();
        }
    throw std::runtime_error(type + " has no member " + name);
}

const TypeRef& parameter(const MemberEntry& entry, size_t index) {
    return entry.Parameters.items().at(index).Type;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

const std::vector<std::string> DispatchFunctions{
    "QueryInterface", "AddRef", "Release", "GetTypeInfoCount", "GetTypeInfo", "GetIDsOfNames", "Invoke"};

std::vector<std::string> afterDispatch(const std::vector<std::string>& own) {
    std::vector<std::string> names = DispatchFunctions;
    names.insert(names.end(), own.begin(), own.end());
    return names;
}

// --- stdole2 through the built-in library -------------------------------------------

class ControlBuilds : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { library.emplace(open(loader, fixture(GetParam()))); }
    TypeLibraryLoader loader;
    std::optional<TypeLibrary> library;
};

TEST_P(ControlBuilds, ImportsByGuidAndByIndexNameStdoleTypes) {
    // BackColor and hWnd name their type by GUID, Font and Picture by type index.
    struct Case {
        std::string member;
        int parameter;  // -1: the result
        std::string type;
    };
    const std::vector<Case> cases{{"BackColor", -1, "OLE_COLOR"},   {"Font", -1, "IFontDisp"},
                                  {"Picture", -1, "IPictureDisp"}, {"hWnd", -1, "OLE_HANDLE"},
                                  {"ApplyFont", 0, "Font"},         {"ApplyFont", -1, "Picture"},
                                  {"SetCaptionFont", 1, "IFontDisp"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member + " " + std::to_string(c.parameter));
        const MemberEntry entry = member(*library, "ISampleControl", c.member);
        const TypeRef& ref = c.parameter < 0 ? entry.ReturnType : parameter(entry, static_cast<size_t>(c.parameter));
        Expected<TypeEntry> referenced = ref.ReferencedType();
        ASSERT_TRUE(referenced) << referenced.error().description;
        EXPECT_EQ(referenced->Name(), c.type);
        EXPECT_EQ(referenced->library()->info.libid.toString(), "{00020430-0000-0000-C000-000000000046}");
    }
    const GrowingTable<ImportedType>& imports = library->info().importedTypes;
    EXPECT_TRUE(std::any_of(imports.begin(), imports.end(), [](const ImportedType& t) { return t.byGuid; }));
    EXPECT_TRUE(std::any_of(imports.begin(), imports.end(), [](const ImportedType& t) { return !t.byGuid; }));
}

TEST_P(ControlBuilds, DualAndDispinterfaceViewsStartWithIUnknownAndIDispatch) {
    const std::vector<MemberItem> dual = fullView(*library, "ISampleControl");
    const std::vector<MemberItem> events = fullView(*library, "DSampleControlEvents");
    for (const std::vector<MemberItem>* view : {&dual, &events}) {
        ASSERT_GT(view->size(), DispatchFunctions.size());
        for (size_t i = 0; i < DispatchFunctions.size(); ++i) {
            EXPECT_EQ((*view)[i].Name, DispatchFunctions[i]);
            EXPECT_TRUE((*view)[i].restricted) << DispatchFunctions[i];
        }
    }
    // The user view leaves the restricted functions out.
    Expected<Collection<MemberItem>> user =
        library->GetMembers(typeNamed(*library, "ISampleControl"), memberview::UserView);
    ASSERT_TRUE(user);
    EXPECT_EQ(user->items().size(), dual.size() - DispatchFunctions.size() - 1);  // and hidden AboutBox
    EXPECT_EQ(user->items().front().Name, "BackColor");
}

TEST_P(ControlBuilds, InheritedFunctionsResolveTheirTypesInTheirOwnLibrary) {
    const MemberEntry invoke = member(*library, "ISampleControl", "Invoke");
    ASSERT_EQ(invoke.Parameters.items().size(), 8u);
    struct Case {
        size_t parameter;
        std::string type;
    };
    for (const Case& c : {Case{1, "GUID"}, Case{4, "DISPPARAMS"}, Case{6, "EXCEPINFO"}}) {
        const TypeRef& ref = parameter(invoke, c.parameter);
        EXPECT_EQ(ref.library()->info.name, "stdole");
        Expected<TypeEntry> referenced = ref.ReferencedType();
        ASSERT_TRUE(referenced) << referenced.error().description;
        EXPECT_EQ(referenced->Name(), c.type);
    }
    // The dispatch form: QueryInterface's HRESULT becomes nothing, AddRef keeps its ULONG.
    EXPECT_EQ(member(*library, "ISampleControl", "QueryInterface").ReturnType.VarType(), vt::Void);
    EXPECT_EQ(member(*library, "ISampleControl", "AddRef").ReturnType.VarType(), vt::UI4);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ControlBuilds,
                         ::testing::Values("Control.tlb", "Control64.tlb", "Control32.dll", "Control64.dll"),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             std::string name = param.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

// --- a second library beside the importer ------------------------------------------

class ImporterBuilds : public ::testing::TestWithParam<std::string> {};

TEST_P(ImporterBuilds, TheLibraryBesideItGivesTypesAndBaseMembers) {
    TypeLibraryLoader loader;
    const TypeLibrary library = open(loader, fixture(GetParam()));
    EXPECT_EQ(namesOf(fullView(library, "IImporterThing")),
              afterDispatch({"Kind", "Describe", "UseKind", "UsePair", "UseBase", "Own"}));
    struct Case {
        std::string member;
        size_t parameter;
        std::string type;
    };
    for (const Case& c : {Case{"UseKind", 0, "SecondKind"}, Case{"UsePair", 0, "SecondPair"},
                          Case{"UseBase", 0, "ISecondBase"}}) {
        SCOPED_TRACE(c.member);
        Expected<TypeEntry> referenced = parameter(member(library, "IImporterThing", c.member), c.parameter).ReferencedType();
        ASSERT_TRUE(referenced) << referenced.error().description;
        EXPECT_EQ(referenced->Name(), c.type);
        EXPECT_TRUE(endsWith(referenced->library()->path, "/Second.tlb")) << referenced->library()->path;
    }
    // Kind comes from ISecondBase and names Second's own enumeration.
    const MemberEntry kind = member(library, "IImporterThing", "Kind");
    EXPECT_EQ(kind.ReturnType.library()->info.name, "VantrelSecond");
    Expected<TypeEntry> kindType = kind.ReturnType.ReferencedType();
    ASSERT_TRUE(kindType) << kindType.error().description;
    EXPECT_EQ(kindType->Name(), "SecondKind");
    // The coclass shows its default interface, inherited members included.
    EXPECT_EQ(fullView(library, "ImporterObject").size(), fullView(library, "IImporterThing").size());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ImporterBuilds, ::testing::Values("Importer.tlb", "Importer64.tlb"),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param.substr(0, param.param.find('.'));
                         });

TEST(MissingImport, GivesThePlaceholderErrorNamingTheFile) {
    TypeLibraryLoader loader;
    const TypeLibrary library = open(loader, fixture("imports-missing/Importer.tlb"));
    for (const char* name : {"UseKind", "UsePair", "UseBase"}) {
        SCOPED_TRACE(name);
        Expected<TypeEntry> referenced = parameter(member(library, "IImporterThing", name), 0).ReferencedType();
        ASSERT_FALSE(referenced);
        EXPECT_EQ(referenced.error().number, errc::LibNotRegistered);
        EXPECT_NE(referenced.error().description.find("(Second.tlb)"), std::string::npos)
            << referenced.error().description;
    }
    EXPECT_EQ(namesOf(fullView(library, "IImporterThing")),
              (std::vector<std::string>{"UseKind", "UsePair", "UseBase", "Own"}));
}

// --- the search ----------------------------------------------------------------------

void resolveEveryImport(LibraryCatalog& catalog, const std::shared_ptr<const LoadedLibrary>& library) {
    for (size_t i = 0; i < library->info.importedTypes.size(); ++i)
        (void)catalog.resolve(library, static_cast<int32_t>(i));
}

void expectNoFileTwice(const std::vector<std::string>& opened) {
    const std::set<std::string> distinct(opened.begin(), opened.end());
    EXPECT_EQ(distinct.size(), opened.size());
}

TEST(ImportSearch, OpensEachFileOnceAndOnlyTheNamedOne) {
    const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
    const auto importer = catalog->adopt(fixture("Importer.tlb"), read(fixture("Importer.tlb")));
    const auto importer64 = catalog->adopt(fixture("Importer64.tlb"), read(fixture("Importer64.tlb")));
    for (int round = 0; round < 2; ++round) {
        resolveEveryImport(*catalog, importer);
        resolveEveryImport(*catalog, importer64);
    }
    // Second.tlb, by its recorded name; Second's own import of stdole2 is built in.
    const std::vector<std::string> opened = catalog->filesOpened();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(endsWith(opened[0], "/Second.tlb")) << opened[0];
}

TEST(ImportSearch, AnUnknownLibraryReadsEachTypeLibraryOfTheFolderOnce) {
    const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
    LibraryInfo info = read(fixture("Importer.tlb"));
    info.importedLibraries.at(0).libid.data1 = 0x12345678;  // a library nobody has
    info.importedLibraries.at(0).fileName = "Nowhere.tlb";
    const auto library = catalog->adopt(fixture("Importer.tlb"), std::move(info));
    for (int round = 0; round < 2; ++round) {
        resolveEveryImport(*catalog, library);
        Expected<TypeEntry> missing = catalog->resolve(library, 0);
        ASSERT_FALSE(missing);
        EXPECT_EQ(missing.error().number, errc::LibNotRegistered);
    }
    const std::vector<std::string> opened = catalog->filesOpened();
    expectNoFileTwice(opened);
    // Every .tlb there except the importer itself, which is open already; no DLL.
    for (const std::string& path : opened) EXPECT_TRUE(endsWith(path, ".tlb")) << path;
    EXPECT_EQ(std::count_if(opened.begin(), opened.end(),
                            [](const std::string& p) { return endsWith(p, "/Importer.tlb"); }), 0);
    EXPECT_GE(opened.size(), 5u);
}

TEST(ImportSearch, ALibraryImportingItselfResolvesToItself) {
    const std::string path = std::string(VANTREL_REAL_LIBS_DIR) + "/stdole2.tlb";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no real libraries";
    const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
    const auto stdole = catalog->adopt(path, read(path));
    ASSERT_EQ(stdole->info.dispatchType.kind, TypeHandle::Kind::Imported);
    Expected<TypeEntry> dispatch = catalog->resolve(stdole, stdole->info.dispatchType.index);
    ASSERT_TRUE(dispatch) << dispatch.error().description;
    EXPECT_EQ(dispatch->library().get(), stdole.get());
    EXPECT_EQ(dispatch->Name(), "IDispatch");
    EXPECT_TRUE(catalog->filesOpened().empty());
    // Font is a dispinterface: its view starts with IDispatch's functions, from itself.
    const TypeLibrary library(stdole);
    EXPECT_EQ(fullView(library, "Font").front().Name, "QueryInterface");
}

TEST(ImportSearch, AStdole2BesideALaterComponentComesBeforeTheBuiltInOne) {
    const std::string realFolder = VANTREL_REAL_LIBS_DIR;
    if (!std::filesystem::exists(realFolder + "/stdole2.tlb")) GTEST_SKIP() << "no real libraries";
    const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
    const LibraryInfo info = read(fixture("Control.tlb"));
    const auto here = catalog->adopt(fixture("Control.tlb"), info);
    const auto there = catalog->adopt(realFolder + "/Control.tlb", info);
    Expected<TypeEntry> builtIn = catalog->resolve(here, 0);
    Expected<TypeEntry> shipped = catalog->resolve(there, 0);
    ASSERT_TRUE(builtIn && shipped);
    EXPECT_EQ(builtIn->library()->path, "stdole2.tlb (built in)");
    EXPECT_EQ(shipped->library()->path, realFolder + "/stdole2.tlb");
    EXPECT_EQ(builtIn->Name(), shipped->Name());
}

// Two made-up libraries in a folder that does not exist, importing each other.
struct Pair {
    std::shared_ptr<const LoadedLibrary> a;
    std::shared_ptr<const LoadedLibrary> b;
};

LibraryInfo madeUp(const std::string& name, uint32_t id, uint32_t otherId, bool otherByGuid) {
    LibraryInfo info;
    info.name = name;
    info.libid = Guid{id, 0, 0, {}};
    info.majorVersion = 1;
    TypeInfo& type = info.types.emplace_back();
    type.name = info.texts->add("I" + name);
    type.kind = TypeKind::Interface;
    type.guid = Guid{id, 1, 0, {}};
    info.importedLibraries.push_back(ImportedLibrary{Guid{otherId, 0, 0, {}}, 0, 1, 0, "Other.tlb"});
    ImportedType imported;
    imported.library = 0;
    imported.kind = TypeKind::Interface;
    imported.byGuid = otherByGuid;
    imported.guid = Guid{otherId, 1, 0, {}};
    imported.typeIndex = 0;
    info.importedTypes.push_back(imported);
    return info;
}

TEST(ImportSearch, LibrariesImportingEachOtherFindEachOther) {
    const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
    const auto a = catalog->adopt("/nonexistent-folder/A.tlb", madeUp("A", 0xA, 0xB, true));
    const auto b = catalog->adopt("/nonexistent-folder/B.tlb", madeUp("B", 0xB, 0xA, false));
    Expected<TypeEntry> fromA = catalog->resolve(a, 0);
    Expected<TypeEntry> fromB = catalog->resolve(b, 0);
    ASSERT_TRUE(fromA && fromB);
    EXPECT_EQ(fromA->library().get(), b.get());
    EXPECT_EQ(fromA->Name(), "IB");
    EXPECT_EQ(fromB->library().get(), a.get());
    EXPECT_EQ(fromB->Name(), "IA");
    EXPECT_TRUE(catalog->filesOpened().empty());
}

TEST(ImportSearch, BasesThatCrossLibrariesInACycleAreAnError) {
    const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
    LibraryInfo infoA = madeUp("A", 0xA, 0xB, true);
    LibraryInfo infoB = madeUp("B", 0xB, 0xA, true);
    infoA.types[0].baseType = TypeHandle{TypeHandle::Kind::Imported, 0};
    infoB.types[0].baseType = TypeHandle{TypeHandle::Kind::Imported, 0};
    const auto a = catalog->adopt("/nonexistent-folder/A.tlb", std::move(infoA));
    const auto b = catalog->adopt("/nonexistent-folder/B.tlb", std::move(infoB));
    const TypeLibrary library(a);
    Expected<Collection<MemberItem>> members = library.GetMembers(0, memberview::AllMembers);
    ASSERT_FALSE(members);
    EXPECT_NE(members.error().description.find("cycle"), std::string::npos) << members.error().description;
}

TEST(ImportSearch, AnIndexImportOfAnotherKindIsNotTaken) {
    const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
    LibraryInfo infoA = madeUp("A", 0xA, 0xB, false);
    infoA.importedTypes[0].kind = TypeKind::Enum;
    const auto a = catalog->adopt("/nonexistent-folder/A.tlb", std::move(infoA));
    const auto b = catalog->adopt("/nonexistent-folder/B.tlb", madeUp("B", 0xB, 0xA, false));
    Expected<TypeEntry> found = catalog->resolve(a, 0);
    ASSERT_FALSE(found);
    EXPECT_EQ(found.error().number, errc::LibNotRegistered);
}

TEST(ImportSearch, ImportsOfLibrariesTheCatalogOpenedStopWhenTheCatalogIsGone) {
    std::shared_ptr<const LoadedLibrary> second;
    {
        const std::shared_ptr<LibraryCatalog> catalog = LibraryCatalog::create();
        const auto importer = catalog->adopt(fixture("Importer.tlb"), read(fixture("Importer.tlb")));
        Expected<TypeEntry> kind = catalog->resolve(importer, 0);
        ASSERT_TRUE(kind) << kind.error().description;
        second = kind->library();
    }
    // Second's own import of IDispatch can no longer be looked for, and nothing leaks.
    ASSERT_FALSE(second->info.importedTypes.empty());
    Expected<TypeEntry> dispatch = second->imports->resolve(second, 0);
    ASSERT_FALSE(dispatch);
    EXPECT_EQ(dispatch.error().number, errc::LibNotRegistered);
}

}  // namespace
}  // namespace vantrel
