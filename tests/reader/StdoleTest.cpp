// Known contents of Wine's stdole2.tlb (a resource-only PE32+ file), as its bytes hold them.
#include <gtest/gtest.h>

#include <filesystem>

#include "ReaderChecks.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::testing {
namespace {

class Stdole : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = realLibraryPath("stdole2.tlb");
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no real libraries";
        Expected<LibraryInfo> read = readTypeLibrary(bytesOf(path), path);
        ASSERT_TRUE(read) << read.error().description;
        library = std::move(*read);
    }

    const TypeInfo& type(const std::string& name) const {
        for (const TypeInfo& t : library.types) {
            if (t.name == name) return t;
        }
        throw std::runtime_error("no type " + name);
    }

    int32_t indexOf(const std::string& name) const {
        return static_cast<int32_t>(&type(name) - library.types.data());
    }

    const TypeDesc& desc(TypeDescId id) const { return library.typeDescs.at(id); }

    LibraryInfo library;
};

TEST_F(Stdole, LibraryAttributes) {
    EXPECT_EQ(library.name, "stdole");
    EXPECT_EQ(library.libid.toString(), "{00020430-0000-0000-C000-000000000046}");
    EXPECT_EQ(library.majorVersion, 2);
    EXPECT_EQ(library.minorVersion, 0);
    EXPECT_EQ(library.sysKind, SysKind::Win64);
    EXPECT_EQ(library.lcid, 0u);  // language-neutral; 0x409 is the names' locale
    EXPECT_EQ(library.types.size(), 42u);
}

TEST_F(Stdole, IUnknownAndIDispatch) {
    const TypeInfo& unknown = type("IUnknown");
    const MembersRef unknownMembers = unknown.members();
    EXPECT_EQ(unknown.kind, TypeKind::Interface);
    ASSERT_EQ(unknownMembers.funcs().size(), 3u);
    EXPECT_EQ(unknownMembers.funcs()[0].name, "QueryInterface");
    EXPECT_EQ(unknownMembers.funcs()[2].name, "Release");
    EXPECT_EQ(unknownMembers.funcs()[2].vtableOffset, 16);
    EXPECT_EQ(unknown.sizeVtable, 24);
    EXPECT_EQ(unknown.baseType.kind, TypeHandle::Kind::None);

    const TypeInfo& dispatch = type("IDispatch");
    const MembersRef dispatchMembers = dispatch.members();
    EXPECT_EQ(dispatch.baseType, (TypeHandle{TypeHandle::Kind::Local, indexOf("IUnknown")}));
    EXPECT_EQ(dispatch.inheritedFunctions, 3);
    ASSERT_EQ(dispatchMembers.funcs().size(), 4u);
    EXPECT_EQ(dispatchMembers.funcs()[3].name, "Invoke");
    EXPECT_EQ(dispatchMembers.funcs()[3].params.size(), 8u);
    EXPECT_EQ(dispatchMembers.funcs()[3].params[0].name, "dispidMember");
    EXPECT_EQ(desc(dispatchMembers.funcs()[3].returnType).vt, vt::HResult);
}

TEST_F(Stdole, TheLibraryNamesIDispatchThroughItsOwnImport) {
    ASSERT_EQ(library.dispatchType.kind, TypeHandle::Kind::Imported);
    const ImportedType& imported = library.importedTypes.at(static_cast<size_t>(library.dispatchType.index));
    EXPECT_TRUE(imported.byGuid);
    EXPECT_EQ(imported.guid.toString(), "{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(library.importedLibraries.at(static_cast<size_t>(imported.library)).fileName, "stdole2.tlb");
}

TEST_F(Stdole, AliasesNameTheirTargets) {
    EXPECT_EQ(desc(type("OLE_COLOR").aliasType.value()).vt, vt::UI4);
    EXPECT_EQ(desc(type("FONTNAME").aliasType.value()).vt, vt::Bstr);
    const TypeDesc& fontDisp = desc(type("IFontDisp").aliasType.value());
    EXPECT_EQ(fontDisp.vt, vt::UserDefined);
    EXPECT_EQ(fontDisp.type, (TypeHandle{TypeHandle::Kind::Local, indexOf("Font")}));
}

TEST_F(Stdole, FontIsADispinterfaceWithProperties) {
    const TypeInfo& font = type("Font");
    const MembersRef fontMembers = font.members();
    EXPECT_EQ(font.kind, TypeKind::Dispatch);
    EXPECT_FALSE(font.isDual());
    EXPECT_EQ(font.baseType.kind, TypeHandle::Kind::None);
    EXPECT_EQ(fontMembers.vars().size(), 8u);
    for (const VarDesc& var : fontMembers.vars()) EXPECT_EQ(var.varKind, VarKind::Dispatch) << var.name;
}

TEST_F(Stdole, CoclassesListTheirInterfaces) {
    for (const char* name : {"StdFont", "StdPicture"}) {
        const TypeInfo& coclass = type(name);
        EXPECT_EQ(coclass.kind, TypeKind::Coclass) << name;
        ASSERT_EQ(coclass.implTypes.size(), 2u) << name;
        EXPECT_EQ(coclass.implTypes[0].type.kind, TypeHandle::Kind::Local) << name;
    }
}

TEST_F(Stdole, EnumConstantsAndModuleDefaults) {
    const TypeInfo& tristate = type("OLE_TRISTATE");
    const MembersRef tristateMembers = tristate.members();
    ASSERT_EQ(tristateMembers.vars().size(), 3u);
    EXPECT_EQ(tristateMembers.vars()[2].name, "Gray");
    EXPECT_EQ(tristateMembers.vars()[2].varKind, VarKind::Const);
    EXPECT_EQ(std::get<int64_t>(tristateMembers.vars()[2].constantValue->value), 2);

    const TypeInfo& functions = type("StdFunctions");
    const MembersRef functionsMembers = functions.members();
    EXPECT_EQ(functions.kind, TypeKind::Module);
    ASSERT_EQ(functionsMembers.funcs().size(), 2u);
    const FuncDesc& loadPicture = functionsMembers.funcs()[0];
    EXPECT_EQ(loadPicture.name, "LoadPicture");
    EXPECT_EQ(loadPicture.funcKind, FuncKind::Static);
    ASSERT_EQ(loadPicture.params.size(), 5u);
    EXPECT_TRUE(loadPicture.params[1].defaultValue);
    EXPECT_FALSE(loadPicture.params[0].defaultValue);
    EXPECT_EQ(loadPicture.params[4].flags & paramflag::RetVal, paramflag::RetVal);
}

}  // namespace
}  // namespace vantrel::testing
