// Functions of the fixture interfaces as stored: order, invoke kinds, member ids, return
// types, parameters with their flags, types and defaults, function flags. Each function
// is compared as one line (see describeFunc), so a failure shows the whole signature.
#include <gtest/gtest.h>

#include "FixtureLibrary.h"

namespace vantrel::testing {
namespace {

struct FuncCase {
    int32_t memberId;
    const char* signature;
};

void expectFunctions(const char* file, const char* typeName,
                     const std::vector<std::string>& signatures) {
    SCOPED_TRACE(std::string(file) + " " + typeName);
    const LibraryInfo& library = fixture(file);
    const TypeInfo& type = typeNamed(library, typeName);
    const MembersRef typeMembers = type.members();
    std::vector<std::string> actual;
    for (const FuncDesc& func : typeMembers.funcs()) actual.push_back(describeFunc(library, func));
    EXPECT_EQ(actual, signatures);
}

void expectFunctionsWithIds(const char* file, const char* typeName,
                            const std::vector<FuncCase>& cases) {
    SCOPED_TRACE(std::string(file) + " " + typeName);
    const LibraryInfo& library = fixture(file);
    const TypeInfo& type = typeNamed(library, typeName);
    const MembersRef typeMembers = type.members();
    ASSERT_EQ(typeMembers.funcs().size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(describeFunc(library, typeMembers.funcs()[i]), cases[i].signature);
        EXPECT_EQ(typeMembers.funcs()[i].memberId, cases[i].memberId) << cases[i].signature;
    }
}

TEST(FixtureMembers, VtableInterfaces) {
    for (const char* file : {"Fixture.tlb", "Fixture64.tlb"}) {
        expectFunctions(file, "IFxBase",
                        {"BaseNoParams func -> HRESULT ()",
                         "BaseOneParam func -> HRESULT (value: I4 in)",
                         "BaseThreeParams func -> HRESULT (a: I4 in, b: BSTR in, "
                         "c: PTR(R8) out retval)",
                         "BasePlainLong func -> I4 (s: I2 in)"});
        expectFunctions(file, "IFxDerived",
                        {"DerivedVoidPtr func -> HRESULT (buffer: PTR(VOID) in, size: I4 in)",
                         "DerivedByRef func -> HRESULT (counter: PTR(I4) in out, "
                         "text: PTR(BSTR) in out, object: PTR(DISPATCH) in out)",
                         "DerivedRestricted func -> HRESULT () {restricted}",
                         "DerivedHidden func -> HRESULT () {hidden}"});
    }
}

TEST(FixtureMembers, VtableSlotsFollowTheBaseInterfaces) {
    // IFxDerived's first own slot comes after IUnknown's 3 and IFxBase's 4.
    const std::pair<const char*, size_t> cases[] = {{"Fixture.tlb", 4}, {"Fixture64.tlb", 8}};
    for (const auto& [file, pointerSize] : cases) {
        const TypeInfo& type = typeNamed(fixture(file), "IFxDerived");
        const MembersRef typeMembers = type.members();
        ASSERT_EQ(typeMembers.funcs().size(), 4u);
        for (size_t i = 0; i < typeMembers.funcs().size(); ++i) {
            EXPECT_EQ(typeMembers.funcs()[i].vtableOffset, static_cast<int16_t>((7 + i) * pointerSize))
                << file << " " << typeMembers.funcs()[i].name;
        }
    }
}

// widl leaves the assigned value of a property put or putref unnamed; describeFunc then
// shows an empty name before the colon.
TEST(FixtureMembers, DualWithEveryPropertyAccessorCombination) {
    expectFunctionsWithIds(
        "Fixture.tlb", "IFxDualBase",
        {{1, "GetOnly get -> HRESULT (value: PTR(I4) out retval)"},
         {2, "GetPut get -> HRESULT (value: PTR(BSTR) out retval)"},
         {2, "GetPut put -> HRESULT (: BSTR in)"},
         {3, "GetPutRef get -> HRESULT (value: PTR(DISPATCH) out retval)"},
         {3, "GetPutRef putref -> HRESULT (: DISPATCH in)"},
         {4, "GetPutPutRef get -> HRESULT (value: PTR(VARIANT) out retval)"},
         {4, "GetPutPutRef put -> HRESULT (: VARIANT in)"},
         {4, "GetPutPutRef putref -> HRESULT (: VARIANT in)"},
         {5, "PutOnly put -> HRESULT (: R8 in)"},
         {6, "PutRefOnly putref -> HRESULT (: UNKNOWN in)"},
         {7, "Indexed get -> HRESULT (index: I4 in, value: PTR(BSTR) out retval)"},
         {7, "Indexed put -> HRESULT (index: I4 in, : BSTR in)"},
         {8, "NoParams func -> HRESULT ()"},
         {9, "OneParam func -> HRESULT (value: I4 in)"},
         {10, "ThreeParams func -> HRESULT (a: I2 in, b: BSTR in, c: BOOL in)"},
         {11, "WithRetval func -> HRESULT (a: I4 in, result: PTR(BSTR) out retval)"},
         {12, "WithLcid func -> HRESULT (a: I4 in, locale: I4 in lcid, "
              "result: PTR(I4) out retval)"}});
}

TEST(FixtureMembers, DualDerivedFromDual) {
    expectFunctionsWithIds(
        "Fixture.tlb", "IFxDual",
        {{20, "Optionals func -> HRESULT (required: I4 in, maybe: VARIANT in opt, "
              "howMany: I4 in opt hasdefault = I4:42, text: BSTR in opt hasdefault = BSTR:abc, "
              "negative: I2 in opt hasdefault = I2:-1, "
              "shade: FxColor in opt hasdefault = I4:2)"},
         {21, "Arrays func -> HRESULT (values: SAFEARRAY(I4) in, "
              "names: PTR(SAFEARRAY(BSTR)) in out, result: PTR(SAFEARRAY(VARIANT)) out retval)"},
         {22, "UserTypes func -> HRESULT (base: PTR(IFxBase) in, color: FxColor in, "
              "point: PTR(FxPoint) in, handle: FxHandle in, alias: PTR(FxPointAlias) in, "
              "self: PTR(PTR(IFxDual)) out retval)"},
         {23, "AutomationTypes1 func -> HRESULT (i2: I2 in, i4: I4 in, r4: R4 in, r8: R8 in, "
              "cy: CY in, date: DATE in, bstr: BSTR in, disp: DISPATCH in, b: BOOL in, "
              "scode: ERROR in, var: VARIANT in, unk: UNKNOWN in)"},
         {24, "AutomationTypes2 func -> HRESULT (dec: DECIMAL in, i1: I1 in, ui1: UI1 in, "
              "uc: UI1 in, ui2: UI2 in, ui4: UI4 in, i8: I8 in, i8b: I8 in, ui8: UI8 in, "
              "i: INT in, ui: UINT in, str: LPSTR in, wstr: LPWSTR in)"},
         {25, "ReturnsColor func -> HRESULT (color: PTR(FxColor) out retval)"},
         {26, "RestrictedMethod func -> HRESULT () {restricted}"},
         {27, "HiddenMethod func -> HRESULT () {hidden}"},
         {28, "HiddenProperty get -> HRESULT (value: PTR(I4) out retval) {hidden}"},
         {0, "Contents get -> HRESULT (value: PTR(VARIANT) out retval)"},
         {29, "ByRefVariant func -> HRESULT (value: PTR(VARIANT) in out)"}});
}

TEST(FixtureMembers, PureDispinterfaceMethodsAndProperties) {
    expectFunctionsWithIds(
        "Fixture.tlb", "DFxDispatch",
        {{10, "Item func -> VARIANT (index: VARIANT in)"},
         {11, "Clear func -> VOID ()"},
         {12, "Add func -> I4 (name: BSTR in, before: VARIANT in opt)"},
         {13, "Scale get -> R8 ()"},
         {13, "Scale put -> VOID (: R8 in)"}});
    const LibraryInfo& library = fixture("Fixture.tlb");
    const TypeInfo& type = typeNamed(library, "DFxDispatch");
    const MembersRef typeMembers = type.members();
    for (const FuncDesc& func : typeMembers.funcs()) {
        EXPECT_EQ(func.funcKind, FuncKind::Dispatch) << func.name;
    }
    struct VarCase {
        const char* name;
        int32_t memberId;
        const char* type;
        bool readOnly;
    };
    const VarCase vars[] = {
        {"Count", 1, "I4", false}, {"Caption", 2, "BSTR", true}, {"ReadOnlyCount", 3, "I4", true}};
    ASSERT_EQ(typeMembers.vars().size(), std::size(vars));
    for (size_t i = 0; i < std::size(vars); ++i) {
        const VarDesc& var = typeMembers.vars()[i];
        SCOPED_TRACE(vars[i].name);
        EXPECT_EQ(var.name, vars[i].name);
        EXPECT_EQ(var.memberId, vars[i].memberId);
        EXPECT_EQ(var.varKind, VarKind::Dispatch);
        EXPECT_EQ(describeType(library, var.type), vars[i].type);
        EXPECT_EQ((var.flags & varflag::ReadOnly) != 0, vars[i].readOnly);
        EXPECT_FALSE(var.constantValue);
    }
}

TEST(FixtureMembers, EventInterfaces) {
    expectFunctionsWithIds("Fixture.tlb", "DFxEvents",
                           {{1, "Changed func -> VOID (what: I4 in)"},
                            {2, "Closing func -> VOID (cancel: PTR(BOOL) in out)"},
                            {3, "Nothing func -> VOID ()"}});
    expectFunctionsWithIds(
        "Fixture.tlb", "DFxMoreEvents",
        {{1, "Progress func -> VOID (percent: I4 in, stage: BSTR in, elapsed: R8 in)"}});
}

TEST(FixtureMembers, HiddenRestrictedDual) {
    expectFunctionsWithIds("Fixture.tlb", "IFxHiddenDual", {{1, "Secret func -> HRESULT ()"}});
}

TEST(FixtureMembers, ModuleFunctionsWithEntryPoints) {
    const LibraryInfo& library = fixture("Fixture.tlb");
    const TypeInfo& module = typeNamed(library, "FxModule");
    const MembersRef moduleMembers = module.members();
    expectFunctions("Fixture.tlb", "FxModule",
                    {"FxCompute func -> I4 (a: I4 in, b: I4 in)",
                     "FxByOrdinal func -> HRESULT (text: BSTR in)"});
    ASSERT_EQ(moduleMembers.funcs().size(), 2u);
    EXPECT_EQ(moduleMembers.funcs()[0].entryName, "FxSum");
    EXPECT_FALSE(moduleMembers.funcs()[0].entryOrdinal);
    EXPECT_EQ(moduleMembers.funcs()[1].entryOrdinal, 7);
    EXPECT_TRUE(moduleMembers.funcs()[1].entryName.empty());
    for (const FuncDesc& func : moduleMembers.funcs()) {
        EXPECT_EQ(func.funcKind, FuncKind::Static) << func.name;
        EXPECT_EQ(func.callConv, 4) << func.name;  // stdcall
    }
}

TEST(FixtureMembers, ControlWithStdoleTypes) {
    expectFunctionsWithIds(
        "Control.tlb", "DSampleControlEvents",
        {{-600, "Click func -> VOID ()"},
         {-601, "DblClick func -> VOID ()"},
         {-602, "KeyDown func -> VOID (KeyCode: PTR(I2) in out, Shift: I2 in)"},
         {-606, "MouseMove func -> VOID (Button: I2 in, Shift: I2 in, "
                "x: stdole2.tlb:{66504302-BE0F-101A-8BBB-00AA00300CAB} in, "
                "y: stdole2.tlb:{66504303-BE0F-101A-8BBB-00AA00300CAB} in)"},
         {1, "CaptionChanged func -> VOID (oldCaption: BSTR in)"}});

    const LibraryInfo& library = fixture("Control.tlb");
    const TypeInfo& control = typeNamed(library, "ISampleControl");
    // Parameter types that live in stdole2: each a user-defined type imported from it.
    const std::pair<const char*, int32_t> stdoleUsers[] = {
        {"BackColor", invoke::PropertyGet}, {"ForeColor", invoke::PropertyPut},
        {"Font", invoke::PropertyGet},      {"Picture", invoke::PropertyPutRef},
        {"hWnd", invoke::PropertyGet},      {"ApplyFont", invoke::Func},
        {"SetCaptionFont", invoke::Func}};
    for (const auto& [name, invokeKind] : stdoleUsers) {
        const FuncDesc& func = funcNamed(control, name, invokeKind);
        const size_t param = std::string(name) == "SetCaptionFont" ? 1 : 0;
        ASSERT_GT(func.params.size(), param) << name;
        EXPECT_NE(describeType(library, func.params[param].type).find("stdole2.tlb:"),
                  std::string::npos)
            << describeFunc(library, func);
    }
    // widl imports some stdole2 types by GUID, others (IFontDisp, IPictureDisp) by index.
    EXPECT_EQ(describeFunc(library, funcNamed(control, "Font", invoke::PropertyPutRef)),
              "Font putref -> HRESULT (: PTR(stdole2.tlb:#32) in)");
    EXPECT_EQ(describeFunc(library, funcNamed(control, "BackColor", invoke::PropertyPut)),
              "BackColor put -> HRESULT (: stdole2.tlb:{66504301-BE0F-101A-8BBB-00AA00300CAB} in) "
              "{bindable requestedit}");
    const FuncDesc& backColor = funcNamed(control, "BackColor", invoke::PropertyGet);
    EXPECT_EQ(backColor.memberId, -501);
    EXPECT_EQ(backColor.flags & (funcflag::Bindable | funcflag::RequestEdit),
              funcflag::Bindable | funcflag::RequestEdit);
    EXPECT_TRUE(funcNamed(control, "AboutBox", invoke::Func).flags & funcflag::Hidden);
    EXPECT_EQ(describeType(library, funcNamed(control, "BorderStyle", invoke::PropertyGet)
                                        .params[0]
                                        .type),
              "PTR(SampleBorderStyle)");
}

}  // namespace
}  // namespace vantrel::testing
