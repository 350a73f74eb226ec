// The project's own fixture libraries decode, standalone and from DLL resources alike.
#include <gtest/gtest.h>

#include "ReaderChecks.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::testing {
namespace {

Expected<LibraryInfo> readFixture(const std::string& name) {
    return readTypeLibrary(bytesOf(fixturePath(name)), name);
}

TEST(Fixtures, EveryFixtureDecodesCompletely) {
    for (const char* name : {"Fixture.tlb", "Fixture64.tlb", "Fixture32.dll", "Fixture64.dll", "Control.tlb",
                             "Second.tlb", "Importer.tlb", "Names.tlb", "Escaping.tlb", "TwoLibraries.dll",
                             "LowestId.dll"}) {
        SCOPED_TRACE(name);
        Expected<LibraryInfo> library = readFixture(name);
        ASSERT_TRUE(library) << library.error().description;
        EXPECT_EQ(inconsistency(*library), "");
        for (const TypeInfo& type : library->types) EXPECT_FALSE(type.members().damaged()) << type.name;
    }
}

TEST(Fixtures, PointerSizeFollowsTheSystemKind) {
    EXPECT_EQ(readFixture("Fixture.tlb")->sysKind, SysKind::Win32);
    EXPECT_EQ(readFixture("Fixture64.tlb")->sysKind, SysKind::Win64);
}

TEST(Fixtures, ModuleEntryPointsAndConstants) {
    Expected<LibraryInfo> library = readFixture("Fixture.tlb");
    ASSERT_TRUE(library);
    const TypeInfo* module = nullptr;
    for (const TypeInfo& type : library->types) {
        if (type.kind == TypeKind::Module) module = &type;
    }
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->dllName, "vantrelfx.dll");
    const MembersRef members = module->members();
    ASSERT_GE(members.funcs().size(), 2u);
    EXPECT_EQ(members.funcs()[0].entryName, "FxSum");
    EXPECT_EQ(members.funcs()[1].entryOrdinal, 7);
    ASSERT_GE(members.vars().size(), 3u);
    EXPECT_EQ(std::get<int64_t>(members.vars()[1].constantValue->value), -1);
    EXPECT_EQ(members.vars()[2].constantValue->vt, vt::I2);
    EXPECT_EQ(std::get<int64_t>(members.vars()[2].constantValue->value), -7);
}

TEST(Fixtures, FilesWithoutALibrary) {
    for (const char* name : {"NoTypeLib.dll", "NotALibrary.txt", "Empty.tlb"}) {
        Expected<LibraryInfo> library = readFixture(name);
        ASSERT_FALSE(library) << name;
        EXPECT_EQ(library.error().number, errc::CantLoadLibrary) << name;
    }
    EXPECT_NE(readFixture("NoTypeLib.dll").error().description.find("no TYPELIB resource"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::testing
