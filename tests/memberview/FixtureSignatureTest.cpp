// GetMember on the fixture library: the automation view of each member (parameters,
// retval and lcid removal, put-only properties, events, HRESULT and plain returns) and
// the type references of its parameters and result.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FixtureLibrary.h"

namespace vantrel {
namespace {

using testing::fixtureLibrary;
using testing::typeIndex;

constexpr int32_t Any = 0;
constexpr int32_t ByRef = vt::ByRef, SafeArrayOf = vt::Array, FixedArrayOf = vt::Vector;

// A parameter or result: its name (none for a result), its VarType and, for VarType 0,
// the name of the type it references.
struct Typed {
    std::string name;
    int32_t varType;
    std::string referenced = {};
};

struct SignatureCase {
    std::string type;
    std::string member;
    int32_t itemKinds;    // picks the item when names repeat (methods and events); 0 any
    int32_t invokeKinds;  // as passed to GetMember
    std::vector<Typed> params;
    Typed result;
};

Typed returns(int32_t varType, std::string referenced = {}) {
    return {"", varType, std::move(referenced)};
}

const Typed Nothing = returns(vt::Void);

const std::vector<SignatureCase> SignatureCases{
    // Vtable interfaces: HRESULT is nothing, a plain long stays, retval becomes the result.
    {"IFxBase", "BaseNoParams", Any, 0, {}, Nothing},
    {"IFxBase", "BaseOneParam", Any, 0, {{"value", vt::I4}}, Nothing},
    {"IFxBase", "BaseThreeParams", Any, 0, {{"a", vt::I4}, {"b", vt::Bstr}}, returns(vt::R8)},
    {"IFxBase", "BasePlainLong", Any, 0, {{"s", vt::I2}}, returns(vt::I4)},
    {"IFxDerived", "DerivedVoidPtr", Any, 0, {{"buffer", vt::Ptr}, {"size", vt::I4}}, Nothing},
    {"IFxDerived", "DerivedByRef", Any, 0,
     {{"counter", vt::I4 | ByRef}, {"text", vt::Bstr | ByRef}, {"object", vt::Dispatch | ByRef}},
     Nothing},
    // Dual: properties by their Get accessor, else Let, else Set, whose value is the result.
    {"IFxDualBase", "GetOnly", Any, 0, {}, returns(vt::I4)},
    {"IFxDualBase", "GetPut", Any, 0, {}, returns(vt::Bstr)},
    {"IFxDualBase", "GetPut", Any, invoke::PropertyPut, {}, returns(vt::Bstr)},
    {"IFxDualBase", "GetPutRef", Any, 0, {}, returns(vt::Dispatch)},
    {"IFxDualBase", "GetPutRef", Any, invoke::PropertyPutRef, {}, returns(vt::Dispatch)},
    {"IFxDualBase", "GetPutPutRef", Any, 0, {}, returns(vt::Variant)},
    {"IFxDualBase", "PutOnly", Any, 0, {}, returns(vt::R8)},
    {"IFxDualBase", "PutRefOnly", Any, 0, {}, returns(vt::Unknown)},
    {"IFxDualBase", "Indexed", Any, 0, {{"index", vt::I4}}, returns(vt::Bstr)},
    {"IFxDualBase", "Indexed", Any, invoke::PropertyPut, {{"index", vt::I4}}, returns(vt::Bstr)},
    {"IFxDualBase", "NoParams", Any, 0, {}, Nothing},
    {"IFxDualBase", "ThreeParams", Any, 0,
     {{"a", vt::I2}, {"b", vt::Bstr}, {"c", vt::Bool}}, Nothing},
    {"IFxDualBase", "WithRetval", Any, 0, {{"a", vt::I4}}, returns(vt::Bstr)},
    {"IFxDualBase", "WithLcid", Any, 0, {{"a", vt::I4}}, returns(vt::I4)},
    {"IFxDual", "Optionals", Any, 0,
     {{"required", vt::I4}, {"maybe", vt::Variant}, {"howMany", vt::I4}, {"text", vt::Bstr},
      {"negative", vt::I2}, {"shade", 0, "FxColor"}},
     Nothing},
    {"IFxDual", "Arrays", Any, 0,
     {{"values", vt::I4 | SafeArrayOf}, {"names", vt::Bstr | SafeArrayOf | ByRef}},
     returns(vt::Variant | SafeArrayOf)},
    {"IFxDual", "UserTypes", Any, 0,
     {{"base", 0, "IFxBase"}, {"color", 0, "FxColor"}, {"point", 0, "FxPoint"},
      {"handle", 0, "FxHandle"}, {"alias", 0, "FxPointAlias"}},
     returns(0, "IFxDual")},
    {"IFxDual", "AutomationTypes1", Any, 0,
     {{"i2", vt::I2}, {"i4", vt::I4}, {"r4", vt::R4}, {"r8", vt::R8}, {"cy", vt::Cy},
      {"date", vt::Date}, {"bstr", vt::Bstr}, {"disp", vt::Dispatch}, {"b", vt::Bool},
      {"scode", vt::Error}, {"var", vt::Variant}, {"unk", vt::Unknown}},
     Nothing},
    {"IFxDual", "AutomationTypes2", Any, 0,
     {{"dec", vt::Decimal}, {"i1", vt::I1}, {"ui1", vt::UI1}, {"uc", vt::UI1},
      {"ui2", vt::UI2}, {"ui4", vt::UI4}, {"i8", vt::I8}, {"i8b", vt::I8}, {"ui8", vt::UI8},
      {"i", vt::Int}, {"ui", vt::UInt}, {"str", vt::LpStr}, {"wstr", vt::LpWStr}},
     Nothing},
    {"IFxDual", "ReturnsColor", Any, 0, {}, returns(0, "FxColor")},
    {"IFxDual", "Contents", Any, 0, {}, returns(vt::Variant)},
    {"IFxDual", "ByRefVariant", Any, 0, {{"value", vt::Variant | ByRef}}, Nothing},
    // Pure dispinterface: results as declared, VARIANT and void included.
    {"DFxDispatch", "Item", Any, 0, {{"index", vt::Variant}}, returns(vt::Variant)},
    {"DFxDispatch", "Clear", Any, 0, {}, Nothing},
    {"DFxDispatch", "Add", Any, 0, {{"name", vt::Bstr}, {"before", vt::Variant}},
     returns(vt::I4)},
    {"DFxDispatch", "Scale", Any, 0, {}, returns(vt::R8)},
    {"DFxDispatch", "Scale", Any, invoke::PropertyPut, {}, returns(vt::R8)},
    {"DFxDispatch", "Count", Any, 0, {}, returns(vt::I4)},
    {"DFxDispatch", "Caption", Any, invoke::PropertyGet, {}, returns(vt::Bstr)},
    // Coclass: the default interface's members and the source's events.
    {"FxObject", "GetOnly", Any, 0, {}, returns(vt::I4)},
    {"FxObject", "Changed", invoke::Event, 0, {{"what", vt::I4}}, Nothing},
    {"FxObject", "Closing", invoke::Event, invoke::Event, {{"cancel", vt::Bool | ByRef}},
     Nothing},
    {"FxObject", "Nothing", invoke::Event, 0, {}, Nothing},
    {"FxNoDefault", "Progress", invoke::Event, 0,
     {{"percent", vt::I4}, {"stage", vt::Bstr}, {"elapsed", vt::R8}}, Nothing},
    // Module: functions keep a plain long; constants and variables have their type.
    {"FxModule", "FxCompute", Any, 0, {{"a", vt::I4}, {"b", vt::I4}}, returns(vt::I4)},
    {"FxModule", "FxByOrdinal", Any, 0, {{"text", vt::Bstr}}, Nothing},
    {"FxModule", "FxMaxItems", Any, 0, {}, returns(vt::I4)},
    {"FxModule", "FxShortConst", Any, invoke::Constant, {}, returns(vt::I2)},
    {"FxModule", "FxGreeting", Any, 0, {}, returns(vt::Bstr)},
    // Record and union fields: nested records, fixed arrays, enumerations.
    {"FxRect", "topLeft", Any, 0, {}, returns(0, "FxPoint")},
    {"FxRect", "cells", Any, 0, {}, returns(vt::I4 | FixedArrayOf)},
    {"FxRect", "grid", Any, 0, {}, returns(vt::I2 | FixedArrayOf)},
    {"FxRect", "label", Any, 0, {}, returns(vt::Bstr)},
    {"FxRect", "color", Any, 0, {}, returns(0, "FxColor")},
    {"FxNumber", "asBytes", Any, 0, {}, returns(vt::UI1 | FixedArrayOf)},
};

// InvokeKinds 0 describes the first accessor the user view shows, else the first there is.
const std::vector<SignatureCase> WrapperSignatureCases{
    {"DWrapInner", "Caption", Any, 0, {}, returns(vt::Bstr)},
    {"DWrapInner", "Width", Any, 0, {}, returns(vt::I4)},
    {"DWrapInner", "Secret", Any, 0, {}, returns(vt::I4)},
    {"DWrapInner", "Run", Any, 0, {{"times", vt::I4}, {"label", vt::Bstr}}, returns(vt::Bool)},
    {"DWrapInner", "Target", Any, 0, {}, returns(vt::Dispatch)},
    {"DWrapDual", "Start", Any, 0, {{"mode", vt::I2}}, Nothing},
    {"WrapObject", "Changed", invoke::Event, 0, {{"what", vt::I4}}, Nothing},
};

std::optional<MemberItem> findItem(const TypeLibrary& library, SearchData type,
                                   const std::string& name, int32_t kinds) {
    Expected<Collection<MemberItem>> members = library.GetMembers(type, memberview::AllMembers);
    if (!members) return std::nullopt;
    for (const MemberItem& item : members->items())
        if (item.Name == name && (kinds == Any || item.InvokeKinds == kinds)) return item;
    return std::nullopt;
}

void expectTyped(const TypeRef& type, const Typed& expected) {
    EXPECT_EQ(type.VarType(), expected.varType);
    if (expected.varType != 0) return;
    Expected<TypeEntry> referenced = type.ReferencedType();
    ASSERT_TRUE(referenced) << referenced.error().description;
    EXPECT_EQ(referenced->Name(), expected.referenced);
}

void expectSignatures(const std::string& file, const std::vector<SignatureCase>& cases) {
    const TypeLibrary* library = fixtureLibrary(file);
    ASSERT_NE(library, nullptr);
    for (const SignatureCase& expected : cases) {
        SCOPED_TRACE(expected.type + "." + expected.member);
        const SearchData type = typeIndex(*library, expected.type);
        const std::optional<MemberItem> item = findItem(*library, type, expected.member, expected.itemKinds);
        ASSERT_TRUE(item);
        Expected<MemberEntry> entry =
            library->GetMember(type, expected.invokeKinds, item->MemberId, "");
        ASSERT_TRUE(entry) << entry.error().description;
        const auto& params = entry->Parameters.items();
        ASSERT_EQ(params.size(), expected.params.size());
        for (size_t i = 0; i < params.size(); ++i) {
            SCOPED_TRACE(expected.params[i].name);
            EXPECT_EQ(params[i].Name, expected.params[i].name);
            expectTyped(params[i].Type, expected.params[i]);
        }
        expectTyped(entry->ReturnType, expected.result);
    }
}

class FixtureSignatures : public ::testing::TestWithParam<std::string> {};

TEST_P(FixtureSignatures, GetMemberGivesTheAutomationView) { expectSignatures(GetParam(), SignatureCases); }

TEST(WrapperSignatures, GetMemberGivesTheAutomationView) {
    expectSignatures("Wrapper64.tlb", WrapperSignatureCases);
}

INSTANTIATE_TEST_SUITE_P(AllBuilds, FixtureSignatures,
                         ::testing::Values("Fixture.tlb", "Fixture64.dll"),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param == "Fixture.tlb" ? std::string("Win32Tlb")
                                                                : std::string("Win64Dll");
                         });

// Sample values: the element kind without the by-ref and array bits, and the array mark.
struct SampleCase {
    std::string type;
    std::string member;
    int param;  // -1: the result
    uint16_t kind;
    bool isArray;
};

const std::vector<SampleCase> SampleCases{
    {"IFxDual", "Arrays", 0, vt::I4, true},
    {"IFxDual", "Arrays", 1, vt::Bstr, true},
    {"IFxDual", "Arrays", -1, vt::Variant, true},
    {"IFxDerived", "DerivedByRef", 0, vt::I4, false},
    {"IFxDerived", "DerivedVoidPtr", 0, vt::Ptr, false},
    {"IFxDual", "UserTypes", 0, vt::Empty, false},
    {"IFxDualBase", "NoParams", -1, vt::Empty, false},
    {"DFxDispatch", "Clear", -1, vt::Empty, false},
    {"DFxDispatch", "Item", -1, vt::Variant, false},
    {"FxRect", "grid", -1, vt::I2, true},
};

TEST(FixtureTypeRefs, TypedValueIsTheElementKindAndKnowsArrays) {
    const TypeLibrary* library = fixtureLibrary("Fixture.tlb");
    ASSERT_NE(library, nullptr);
    for (const SampleCase& expected : SampleCases) {
        SCOPED_TRACE(expected.type + "." + expected.member + " " + std::to_string(expected.param));
        const SearchData type = typeIndex(*library, expected.type);
        const std::optional<MemberItem> item = findItem(*library, type, expected.member, Any);
        ASSERT_TRUE(item);
        Expected<MemberEntry> entry = library->GetMember(type, 0, item->MemberId, "");
        ASSERT_TRUE(entry);
        const TypeRef& ref = expected.param < 0
                                 ? entry->ReturnType
                                 : entry->Parameters.items().at(static_cast<size_t>(expected.param)).Type;
        EXPECT_EQ(ref.TypedValue().kind, expected.kind);
        EXPECT_EQ(ref.TypedValue().isArray, expected.isArray);
    }
}

TEST(FixtureTypeRefs, BuiltInTypesAndNothingReferenceNoType) {
    EXPECT_FALSE(TypeRef::Void().ReferencedType());
    EXPECT_EQ(TypeRef::Void().VarType(), vt::Void);
    const TypeLibrary* library = fixtureLibrary("Fixture.tlb");
    ASSERT_NE(library, nullptr);
    const SearchData type = typeIndex(*library, "IFxDualBase");
    Expected<MemberEntry> getOnly = library->GetMember(type, 0, 0, "");
    ASSERT_TRUE(getOnly);
    Expected<TypeEntry> referenced = getOnly->ReturnType.ReferencedType();
    ASSERT_FALSE(referenced);
    EXPECT_EQ(referenced.error().number, errc::ElementNotFound);
}

TEST(FixtureTypeRefs, TypesOfStdoleResolveInTheBuiltInLibrary) {
    // OLE_COLOR and IFontDisp live in stdole2; no stdole2.tlb lies beside the fixtures.
    const TypeLibrary* library = fixtureLibrary("Control.tlb");
    ASSERT_NE(library, nullptr);
    const SearchData type = typeIndex(*library, "ISampleControl");
    for (const std::string& member : {std::string("BackColor"), std::string("Font")}) {
        SCOPED_TRACE(member);
        const std::optional<MemberItem> item = findItem(*library, type, member, Any);
        ASSERT_TRUE(item);
        Expected<MemberEntry> entry = library->GetMember(type, 0, item->MemberId, "");
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->ReturnType.VarType(), 0);
        Expected<TypeEntry> referenced = entry->ReturnType.ReferencedType();
        ASSERT_TRUE(referenced) << referenced.error().description;
        EXPECT_EQ(referenced->Name(), member == "Font" ? "IFontDisp" : "OLE_COLOR");
        EXPECT_EQ(referenced->library()->info.name, "stdole");
    }
}

}  // namespace
}  // namespace vantrel
