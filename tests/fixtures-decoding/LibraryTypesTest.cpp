// The fixture libraries' attributes and type lists: names, kinds, flags, GUIDs in library
// order, base interfaces, alias targets and coclass interfaces, against the IDL files.
#include <gtest/gtest.h>

#include "FixtureLibrary.h"

namespace vantrel::testing {
namespace {

std::string fixtureGuid(const char* last12) {
    return std::string("{5A1E0000-0000-4000-8000-") + last12 + "}";
}

TEST(FixtureLibrary, LibraryAttributes) {
    const LibraryInfo& library = fixture("Fixture.tlb");
    EXPECT_EQ(library.name, "VantrelFixture");
    EXPECT_EQ(library.libid.toString(), fixtureGuid("000000000001"));
    EXPECT_EQ(library.majorVersion, 2);
    EXPECT_EQ(library.minorVersion, 5);
    EXPECT_EQ(library.docString, "Vantrel fixture library");
    EXPECT_EQ(library.sysKind, SysKind::Win32);
    EXPECT_EQ(fixture("Fixture64.tlb").sysKind, SysKind::Win64);
    EXPECT_EQ(fixture("Names.tlb").lcid, 0x407u);
}

struct ExpectedType {
    const char* name;
    TypeKind kind;
    uint16_t flags;  // of the bits in kCheckedTypeFlags
    const char* guid;  // last 12 digits; nullptr for none
};

// Only the flags that the IDL states; others (e.g. dispatchable) are the compiler's.
constexpr uint16_t kCheckedTypeFlags = typeflag::Hidden | typeflag::Restricted | typeflag::Dual |
                                       typeflag::AppObject | typeflag::CanCreate |
                                       typeflag::Control;

TEST(FixtureLibrary, TypesInLibraryOrderWithKindsFlagsAndGuids) {
    using enum TypeKind;
    const ExpectedType expected[] = {
        {"FxColor", Enum, 0, "000000000010"},
        {"FxHiddenEnum", Enum, typeflag::Hidden, "000000000011"},
        {"FxPoint", Record, 0, "000000000012"},
        {"FxRect", Record, 0, "000000000013"},
        {"FxNumber", Union, 0, "000000000014"},
        {"FxHandle", Alias, 0, "000000000015"},
        {"FxPointAlias", Alias, 0, "000000000016"},
        {"FxText", Alias, typeflag::Restricted, nullptr},
        {"FxModule", Module, 0, "000000000017"},
        {"IFxBase", Interface, 0, "000000000020"},
        {"IFxDerived", Interface, 0, "000000000021"},
        {"IFxDualBase", Dispatch, typeflag::Dual, "000000000030"},
        {"IFxDual", Dispatch, typeflag::Dual, "000000000031"},
        {"IFxHiddenDual", Dispatch, typeflag::Dual | typeflag::Hidden | typeflag::Restricted,
         "000000000032"},
        {"DFxDispatch", Dispatch, 0, "000000000040"},
        {"DFxEvents", Dispatch, 0, "000000000050"},
        {"DFxMoreEvents", Dispatch, 0, "000000000051"},
        {"FxObject", Coclass, typeflag::CanCreate, "000000000060"},
        {"FxHiddenObject", Coclass, typeflag::Hidden, "000000000061"},
        {"FxNoDefault", Coclass, typeflag::CanCreate | typeflag::AppObject, "000000000062"},
    };
    for (const char* file : {"Fixture.tlb", "Fixture64.tlb"}) {
        const LibraryInfo& library = fixture(file);
        ASSERT_EQ(library.types.size(), std::size(expected)) << file;
        for (size_t i = 0; i < std::size(expected); ++i) {
            const TypeInfo& type = library.types[i];
            const MembersRef typeMembers = type.members();
            SCOPED_TRACE(std::string(file) + " type " + std::to_string(i) + " " + expected[i].name);
            EXPECT_EQ(type.name, expected[i].name);
            EXPECT_EQ(type.kind, expected[i].kind);
            EXPECT_EQ(type.flags & kCheckedTypeFlags, expected[i].flags);
            if (expected[i].guid) {
                EXPECT_EQ(type.guid.toString(), fixtureGuid(expected[i].guid));
            }
            EXPECT_FALSE(typeMembers.error()) << typeMembers.error()->description;
        }
    }
}

TEST(FixtureLibrary, OleAutomationAndDualFlags) {
    const LibraryInfo& library = fixture("Fixture.tlb");
    EXPECT_TRUE(typeNamed(library, "IFxBase").flags & typeflag::OleAutomation);
    EXPECT_TRUE(typeNamed(library, "IFxDual").isDual());
    EXPECT_FALSE(typeNamed(library, "DFxDispatch").isDual());
    EXPECT_FALSE(typeNamed(library, "IFxBase").isDual());
}

TEST(FixtureLibrary, TypeDocStrings) {
    const LibraryInfo& library = fixture("Fixture.tlb");
    EXPECT_EQ(typeNamed(library, "FxColor").docString, "Colours of a fixture");
    EXPECT_EQ(typeNamed(library, "FxModule").docString, "Module of the fixture");
    EXPECT_EQ(typeNamed(library, "IFxDual").docString, "The fixture's main dual interface");
    EXPECT_EQ(typeNamed(library, "FxObject").docString, "The fixture's main class");
    EXPECT_EQ(typeNamed(library, "FxPoint").docString, "");
}

TEST(FixtureLibrary, BaseInterfacesAndInheritedFunctionCounts) {
    struct Case {
        const char* type;
        const char* base;
        uint16_t inherited;
    };
    // IUnknown has 3 functions, IDispatch 7; IFxBase adds 4, IFxDualBase 17.
    const Case cases[] = {
        {"IFxDerived", "IFxBase", 7},
        {"IFxDual", "IFxDualBase", 24},
    };
    const LibraryInfo& library = fixture("Fixture.tlb");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const TypeInfo& type = typeNamed(library, c.type);
        EXPECT_EQ(describeHandle(library, type.baseType), c.base);
        EXPECT_EQ(type.inheritedFunctions, c.inherited);
    }
    // IUnknown and IDispatch come from stdole2, named by GUID.
    const std::string unknown = "stdole2.tlb:{00000000-0000-0000-C000-000000000046}";
    const std::string dispatch = "stdole2.tlb:{00020400-0000-0000-C000-000000000046}";
    const std::pair<const char*, std::string> imported[] = {
        {"IFxBase", unknown}, {"IFxDualBase", dispatch}, {"IFxHiddenDual", dispatch}};
    for (const auto& [type, base] : imported) {
        EXPECT_EQ(describeHandle(library, typeNamed(library, type).baseType), base) << type;
    }
    EXPECT_EQ(describeHandle(library, library.dispatchType), dispatch);
    EXPECT_EQ(typeNamed(library, "IFxBase").inheritedFunctions, 3);
    EXPECT_EQ(typeNamed(library, "IFxDualBase").inheritedFunctions, 7);
    EXPECT_EQ(typeNamed(library, "DFxDispatch").baseType.kind, TypeHandle::Kind::None);
}

TEST(FixtureLibrary, VtableSizesFollowThePointerSize) {
    // IFxDual: 7 + 17 inherited slots and 11 of its own.
    EXPECT_EQ(typeNamed(fixture("Fixture.tlb"), "IFxDual").sizeVtable, (24 + 11) * 4);
    EXPECT_EQ(typeNamed(fixture("Fixture64.tlb"), "IFxDual").sizeVtable, (24 + 11) * 8);
    EXPECT_EQ(typeNamed(fixture("Fixture.tlb"), "IFxDerived").sizeVtable, (7 + 4) * 4);
}

TEST(FixtureLibrary, AliasTargets) {
    const LibraryInfo& library = fixture("Fixture.tlb");
    const std::pair<const char*, const char*> cases[] = {
        {"FxHandle", "I4"}, {"FxPointAlias", "FxPoint"}, {"FxText", "BSTR"}};
    for (const auto& [alias, target] : cases) {
        SCOPED_TRACE(alias);
        const TypeInfo& type = typeNamed(library, alias);
        const MembersRef typeMembers = type.members();
        ASSERT_TRUE(type.aliasType);
        EXPECT_EQ(describeType(library, *type.aliasType), target);
        EXPECT_TRUE(typeMembers.funcs().empty());
        EXPECT_TRUE(typeMembers.vars().empty());
    }
}

TEST(FixtureLibrary, CoclassInterfacesWithFlags) {
    using namespace impltypeflag;
    struct Case {
        const char* coclass;
        std::vector<std::pair<std::string, int32_t>> interfaces;
    };
    const Case cases[] = {
        {"FxObject",
         {{"IFxDual", Default},
          {"IFxDerived", 0},
          {"DFxDispatch", 0},
          {"DFxEvents", Default | Source},
          {"DFxMoreEvents", Source},
          {"IFxBase", Restricted}}},
        // widl makes a coclass's only interface its default.
        {"FxHiddenObject", {{"IFxBase", Default}}},
        // Stored without any default flag (make-fixtures.sh clears them).
        {"FxNoDefault", {{"DFxDispatch", 0}, {"DFxMoreEvents", Source}}},
    };
    const LibraryInfo& library = fixture("Fixture.tlb");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coclass);
        const TypeInfo& type = typeNamed(library, c.coclass);
        ASSERT_EQ(type.implTypes.size(), c.interfaces.size());
        for (size_t i = 0; i < c.interfaces.size(); ++i) {
            EXPECT_EQ(describeHandle(library, type.implTypes[i].type), c.interfaces[i].first);
            EXPECT_EQ(type.implTypes[i].flags, c.interfaces[i].second) << c.interfaces[i].first;
        }
    }
}

TEST(FixtureLibrary, ModuleDllName) {
    const LibraryInfo& library = fixture("Fixture.tlb");
    EXPECT_EQ(typeNamed(library, "FxModule").dllName, "vantrelfx.dll");
}

TEST(FixtureLibrary, TheOtherLibrariesTypeLists) {
    struct Case {
        const char* file;
        const char* library;
        std::vector<std::string> types;
    };
    const Case cases[] = {
        {"Second.tlb", "VantrelSecond",
         {"SecondKind", "SecondPair", "ISecondBase", "SecondObject"}},
        {"Importer.tlb", "VantrelImporter", {"IImporterThing", "ImporterObject"}},
        {"Control.tlb", "VantrelControl",
         {"SampleBorderStyle", "ISampleControl", "DSampleControlEvents", "SampleControl"}},
        {"Names.tlb", "VantrelNames", {"NamesEnum", "ICaf\xC3\xA9"}},
        {"Escaping.tlb", "VantrelEscaping", {"EscapingEnum", "<script>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const LibraryInfo& library = fixture(c.file);
        EXPECT_EQ(library.name, c.library);
        std::vector<std::string> names;
        for (const TypeInfo& type : library.types) names.emplace_back(type.name);
        EXPECT_EQ(names, c.types);
    }
    EXPECT_TRUE(typeNamed(fixture("Control.tlb"), "SampleControl").flags & typeflag::Control);
}

}  // namespace
}  // namespace vantrel::testing
