// The built-in stdole2 against the stdole2.tlb that Debian's libwine ships: the same
// types in the same order (index imports depend on it), and the same IUnknown and
// IDispatch functions.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "typelib/file/FileBytes.h"
#include "typelib/read/LibraryReader.h"
#include "typelib/imports/StandardOleLibrary.h"
#include "typelib/imports/StandardOleTypes.h"

namespace vantrel {
namespace {

// A type description as text, defined types by name: "26(29:GUID)" for GUID*.
std::string shapeOf(const LibraryInfo& library, TypeDescId id, int depth = 0) {
    if (id >= library.typeDescs.size() || depth > 8) return "?";
    const TypeDesc& desc = library.typeDescs[id];
    std::string text = std::to_string(desc.vt);
    if (desc.vt == vt::Ptr || desc.vt == vt::SafeArray || desc.vt == vt::CArray)
        text += "(" + shapeOf(library, desc.element, depth + 1) + ")";
    if (desc.vt == vt::UserDefined) {
        const bool local = desc.type.kind == TypeHandle::Kind::Local && desc.type.index >= 0 &&
                           static_cast<size_t>(desc.type.index) < library.types.size();
        text += ":" + (local ? std::string(library.types[static_cast<size_t>(desc.type.index)].name)
                             : std::string("elsewhere"));
    }
    return text;
}

class BuiltInStdole : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = std::string(VANTREL_REAL_LIBS_DIR) + "/stdole2.tlb";
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no real libraries";
        Expected<FileBuffer> bytes = readWholeFile(path);
        ASSERT_TRUE(bytes);
        Expected<LibraryInfo> read = readTypeLibrary(*bytes, path);
        ASSERT_TRUE(read) << read.error().description;
        shipped = std::move(*read);
        builtIn = standardOleLibrary(shipped.sysKind);
    }

    LibraryInfo shipped;
    LibraryInfo builtIn;
};

TEST_F(BuiltInStdole, LibraryAttributesMatch) {
    EXPECT_EQ(builtIn.name, shipped.name);
    EXPECT_EQ(builtIn.libid, shipped.libid);
    EXPECT_EQ(builtIn.majorVersion, shipped.majorVersion);
    EXPECT_EQ(builtIn.minorVersion, shipped.minorVersion);
}

TEST_F(BuiltInStdole, TypesHaveTheStandardOrderNamesGuidsKindsAndFlags) {
    ASSERT_EQ(builtIn.types.size(), shipped.types.size());
    for (size_t i = 0; i < shipped.types.size(); ++i) {
        const TypeInfo& ours = builtIn.types[i];
        const TypeInfo& theirs = shipped.types[i];
        SCOPED_TRACE(theirs.name);
        EXPECT_EQ(ours.name, theirs.name) << "type " << i;
        EXPECT_EQ(ours.guid, theirs.guid) << ours.guid.toString();
        EXPECT_EQ(ours.kind, theirs.kind);
        EXPECT_EQ(ours.flags, theirs.flags);
        ASSERT_EQ(ours.aliasType.has_value(), theirs.aliasType.has_value());
        if (ours.aliasType) {
            EXPECT_EQ(shapeOf(builtIn, *ours.aliasType), shapeOf(shipped, *theirs.aliasType));
        }
    }
}

TEST_F(BuiltInStdole, IUnknownAndIDispatchHaveTheSameFunctions) {
    for (const char* name : {"IUnknown", "IDispatch"}) {
        SCOPED_TRACE(name);
        const auto find = [&](const LibraryInfo& library) -> const TypeInfo& {
            for (const TypeInfo& type : library.types)
                if (type.name == name) return type;
            throw std::runtime_error(name);
        };
        const TypeInfo& ours = find(builtIn);
        const MembersRef oursMembers = ours.members();
        const TypeInfo& theirs = find(shipped);
        const MembersRef theirsMembers = theirs.members();
        EXPECT_EQ(ours.inheritedFunctions, theirs.inheritedFunctions);
        EXPECT_EQ(ours.sizeVtable, theirs.sizeVtable);
        EXPECT_EQ(ours.baseType, theirs.baseType);
        ASSERT_EQ(oursMembers.funcs().size(), theirsMembers.funcs().size());
        for (size_t f = 0; f < oursMembers.funcs().size(); ++f) {
            const FuncDesc& a = oursMembers.funcs()[f];
            const FuncDesc& b = theirsMembers.funcs()[f];
            SCOPED_TRACE(b.name);
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.memberId, b.memberId);
            EXPECT_EQ(a.funcKind, b.funcKind);
            EXPECT_EQ(a.invokeKind, b.invokeKind);
            EXPECT_EQ(a.callConv, b.callConv);
            EXPECT_EQ(a.flags, b.flags);
            EXPECT_EQ(a.vtableOffset, b.vtableOffset);
            EXPECT_EQ(shapeOf(builtIn, a.returnType), shapeOf(shipped, b.returnType));
            ASSERT_EQ(a.params.size(), b.params.size());
            for (size_t p = 0; p < a.params.size(); ++p) {
                EXPECT_EQ(a.params[p].name, b.params[p].name);
                EXPECT_EQ(a.params[p].flags, b.params[p].flags) << b.params[p].name;
                EXPECT_EQ(shapeOf(builtIn, a.params[p].type), shapeOf(shipped, b.params[p].type))
                    << b.params[p].name;
            }
        }
    }
}

// What the built-in library adds beyond the two base interfaces, against the same file.
// Names, member ids and parameter types of the functions, in order.
void expectSameFunctions(const LibraryInfo& builtIn, const std::vector<FuncDesc>& ours, const LibraryInfo& shipped,
                         const std::vector<FuncDesc>& theirs) {
    ASSERT_EQ(ours.size(), theirs.size());
    for (size_t f = 0; f < ours.size(); ++f) {
        EXPECT_EQ(ours[f].name, theirs[f].name);
        EXPECT_EQ(ours[f].memberId, theirs[f].memberId);
        ASSERT_EQ(ours[f].params.size(), theirs[f].params.size());
        for (size_t p = 0; p < ours[f].params.size(); ++p)
            EXPECT_EQ(shapeOf(builtIn, ours[f].params[p].type), shapeOf(shipped, theirs[f].params[p].type))
                << theirs[f].params[p].name;
    }
}

TEST_F(BuiltInStdole, FontAndPictureMembersMatch) {
    for (const char* name : {"Font", "Picture", "FontEvents", "OLE_TRISTATE", "LoadPictureConstants"}) {
        SCOPED_TRACE(name);
        size_t index = 0;
        while (index < shipped.types.size() && shipped.types[index].name != name) ++index;
        ASSERT_LT(index, shipped.types.size());
        const TypeInfo& ours = builtIn.types[index];
        const MembersRef oursMembers = ours.members();
        const TypeInfo& theirs = shipped.types[index];
        const MembersRef theirsMembers = theirs.members();
        ASSERT_EQ(oursMembers.vars().size(), theirsMembers.vars().size());
        for (size_t v = 0; v < oursMembers.vars().size(); ++v) {
            EXPECT_EQ(oursMembers.vars()[v].name, theirsMembers.vars()[v].name);
            EXPECT_EQ(oursMembers.vars()[v].memberId, theirsMembers.vars()[v].memberId) << theirsMembers.vars()[v].name;
            EXPECT_EQ(oursMembers.vars()[v].varKind, theirsMembers.vars()[v].varKind) << theirsMembers.vars()[v].name;
            EXPECT_EQ(oursMembers.vars()[v].flags, theirsMembers.vars()[v].flags) << theirsMembers.vars()[v].name;
            EXPECT_EQ(shapeOf(builtIn, oursMembers.vars()[v].type), shapeOf(shipped, theirsMembers.vars()[v].type))
                << theirsMembers.vars()[v].name;
        }
        expectSameFunctions(builtIn, oursMembers.funcs(), shipped, theirsMembers.funcs());
    }
}

// The built-in Standard OLE Types against the libraries that carry it: libwine's
// olepro32.dll (which marks IFont and IPicture hidden and their dispinterfaces
// dispatchable, so its flags are not compared) and a Microsoft-built OLEPRO32.DLL.
struct StdTypeCarrier {
    std::string path;
    bool sameFlags;
};

void expectSameStandardOleTypes(const StdTypeCarrier& carrier) {
    SCOPED_TRACE(carrier.path);
    if (!std::filesystem::exists(carrier.path)) GTEST_SKIP() << "no " << carrier.path;
    Expected<FileBuffer> bytes = readWholeFile(carrier.path);
    ASSERT_TRUE(bytes);
    Expected<LibraryInfo> read = readTypeLibrary(*bytes, carrier.path);
    ASSERT_TRUE(read) << read.error().description;
    const LibraryInfo& shipped = *read;
    const LibraryInfo builtIn = standardOleTypesLibrary(shipped.sysKind);
    EXPECT_EQ(builtIn.name, shipped.name);
    EXPECT_EQ(builtIn.libid, shipped.libid);
    EXPECT_EQ(builtIn.majorVersion, shipped.majorVersion);
    ASSERT_EQ(builtIn.types.size(), shipped.types.size());
    for (size_t i = 0; i < shipped.types.size(); ++i) {
        const TypeInfo& ours = builtIn.types[i];
        const MembersRef oursMembers = ours.members();
        const TypeInfo& theirs = shipped.types[i];
        const MembersRef theirsMembers = theirs.members();
        SCOPED_TRACE(theirs.name);
        EXPECT_EQ(ours.name, theirs.name) << "type " << i;
        EXPECT_EQ(ours.guid, theirs.guid) << ours.guid.toString();
        EXPECT_EQ(ours.kind, theirs.kind);
        if (carrier.sameFlags) {
            EXPECT_EQ(ours.flags, theirs.flags);
        }
        ASSERT_EQ(ours.aliasType.has_value(), theirs.aliasType.has_value());
        if (ours.aliasType) {
            EXPECT_EQ(shapeOf(builtIn, *ours.aliasType), shapeOf(shipped, *theirs.aliasType));
        }
        if (ours.kind == TypeKind::Interface) continue;  // IFont's and IPicture's functions are not built in
        ASSERT_EQ(oursMembers.vars().size(), theirsMembers.vars().size());
        for (size_t v = 0; v < oursMembers.vars().size(); ++v) {
            const VarDesc& a = oursMembers.vars()[v];
            const VarDesc& b = theirsMembers.vars()[v];
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.memberId, b.memberId) << b.name;
            EXPECT_EQ(a.flags, b.flags) << b.name;
            EXPECT_EQ(shapeOf(builtIn, a.type), shapeOf(shipped, b.type)) << b.name;
        }
        expectSameFunctions(builtIn, oursMembers.funcs(), shipped, theirsMembers.funcs());
        ASSERT_EQ(ours.implTypes.size(), theirs.implTypes.size());
        for (size_t m = 0; m < ours.implTypes.size(); ++m) {
            EXPECT_EQ(ours.implTypes[m].type, theirs.implTypes[m].type);
            EXPECT_EQ(ours.implTypes[m].flags, theirs.implTypes[m].flags);
        }
    }
}

TEST(BuiltInStandardOleTypes, MatchesLibwinesOlepro32) {
    expectSameStandardOleTypes({std::string(VANTREL_REAL_LIBS_DIR) + "/olepro32.dll", false});
}

// The SLTG library that the platform ships.
TEST(BuiltInStandardOleTypes, MatchesMicrosoftsOlepro32) {
    expectSameStandardOleTypes({std::string(VANTREL_CORPUS_DIR) + "/OLEPRO32.DLL", true});
}

}  // namespace
}  // namespace vantrel
