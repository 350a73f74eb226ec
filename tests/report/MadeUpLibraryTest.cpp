// Report pages of small libraries made up in memory, for cases that no compiled fixture
// holds: a property with only let and set accessors, arrays of a type that can't be
// reached, and a type whose members can't be read.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "report/MemberReport.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

// Type descriptions of the made-up library, by index.
enum Desc : TypeDescId { Long, HResult, Object, Unreachable, ArrayOfUnreachable, FixedOfUnreachable };

LibraryInfo moduleLibrary() {
    LibraryInfo info;
    info.name = "MadeUp";
    info.typeDescs.resize(6);
    info.typeDescs[Long].vt = vt::I4;
    info.typeDescs[HResult].vt = vt::HResult;
    info.typeDescs[Object].vt = vt::Dispatch;
    info.typeDescs[Unreachable].vt = vt::UserDefined;
    info.typeDescs[Unreachable].type = {TypeHandle::Kind::Imported, 0};  // no imports at all
    info.typeDescs[ArrayOfUnreachable].vt = vt::SafeArray;
    info.typeDescs[ArrayOfUnreachable].element = Unreachable;
    info.typeDescs[FixedOfUnreachable].vt = vt::CArray;
    info.typeDescs[FixedOfUnreachable].element = Unreachable;
    info.typeDescs[FixedOfUnreachable].bounds = {{4, 0}};

    TypeInfo module;
    module.name = "Things";
    module.kind = TypeKind::Module;
    FuncDesc let;
    let.name = "Both";
    let.memberId = 7;
    let.funcKind = FuncKind::Static;
    let.invokeKind = invoke::PropertyPut;
    let.returnType = HResult;
    FuncDesc set = let;
    set.invokeKind = invoke::PropertyPutRef;
    FuncDesc arrays;
    arrays.name = "Arrays";
    arrays.memberId = 8;
    arrays.funcKind = FuncKind::Static;
    arrays.returnType = Unreachable;
    module.editMembers().addFunction(let, std::vector{ParamDesc{"value", Long, paramflag::In, {}}});
    module.editMembers().addFunction(set, std::vector{ParamDesc{"value", Object, paramflag::In, {}}});
    module.editMembers().addFunction(arrays, std::vector{ParamDesc{"many", ArrayOfUnreachable, paramflag::In, {}},
                                           ParamDesc{"four", FixedOfUnreachable, paramflag::In, {}}});
    info.types.push_back(module);

    TypeInfo broken;
    broken.name = "Broken";
    broken.kind = TypeKind::Interface;
    broken.editMembers().error = makeError(errc::InvalidDataRead, "member block of Broken is damaged");
    info.types.push_back(broken);
    return info;
}

TypeLibrary madeUpLibrary() {
    auto loaded = std::make_shared<LoadedLibrary>();
    loaded->path = "/made/up.tlb";
    loaded->info = moduleLibrary();
    return TypeLibrary(loaded);
}

TEST(MadeUpLibrary, LetSetPropertyIsListedAmongPropertiesAndUnreachableArraysStandAlone) {
    const auto page = GetProperties(madeUpLibrary(), "/made/up.tlb", "Things", "/made/up.tlb");
    ASSERT_TRUE(page) << page.error().description;
    const std::string placeholder = "<font color=blue>&lt;Unregistered External Type&gt;</font>";
    EXPECT_EQ(*page,
              "<html>\r\n<head><title>/made/up.tlb members</title></head>"
              "<h3>Properties, Methods, Events and Constants of /made/up.tlb  (Things)</h3><p>\r\n\r\n"
              "<b><u>Properties:</u></b><p>\r\n<code>"
              "1) <font color=blue>Property Let/Set </font>Both () As <font color=blue>Long</font><br>"
              "</code><p><b><u>Methods:</u></b><p><code>"
              "1) <font color=blue> Function </font>Arrays (many As " + placeholder +
              ", four As " + placeholder + ") As " + placeholder + "<br>"
              "</code><p><b><u>Events:</u></b><p><code></code><p>"
              "<b><u>Constants:</u></b><p><p></html>");
}

TEST(MadeUpLibrary, UnreadableMembersGiveTheirErrorAndNoPage) {
    const auto page = GetProperties(madeUpLibrary(), "/made/up.tlb", "Broken", "/made/up.tlb");
    ASSERT_FALSE(page);
    EXPECT_EQ(page.error().description, makeError(errc::InvalidDataRead, "The type library '/made/up.tlb' is damaged: type 1 "
                                                             "(Broken): member block of Broken is damaged.").description);
}

}  // namespace
}  // namespace vantrel
