// The member views of the fixture libraries' types against what Fixture.idl and
// Wrapper.idl declare: names, invoke kinds and order, joined property accessors, and the
// user view (flag 0) against the full view (flag 1). IUnknown and IDispatch come from
// stdole2 (built in, as no stdole2.tlb lies beside the fixtures); their functions are
// restricted.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "FixtureLibrary.h"

namespace vantrel {
namespace {

using testing::fixtureLibrary;
using testing::typeIndex;

constexpr int32_t M = invoke::Func, G = invoke::PropertyGet, L = invoke::PropertyPut,
                  S = invoke::PropertyPutRef, E = invoke::Event, C = invoke::Constant;

constexpr int32_t Same = -1;  // the user view shows the item as the full view does
constexpr int32_t Left = 0;   // left out of the user view

struct Item {
    std::string name;
    int32_t kinds;
    int32_t userKinds = Same;  // the invoke kinds the user view shows
};

std::vector<Item> joined(std::vector<Item> first, const std::vector<Item>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::vector<Item> UnknownItems{
    {"QueryInterface", M, Left}, {"AddRef", M, Left}, {"Release", M, Left}};
const std::vector<Item> DispatchBaseItems =
    joined(UnknownItems, {{"GetTypeInfoCount", M, Left},
                          {"GetTypeInfo", M, Left},
                          {"GetIDsOfNames", M, Left},
                          {"Invoke", M, Left}});
// The events of a source dispinterface: IDispatch's functions (restricted), then its own.
std::vector<Item> asEvents(const std::vector<Item>& functions) {
    std::vector<Item> events;
    for (const Item& item : joined(DispatchBaseItems, functions))
        events.push_back({item.name, E, item.userKinds == Left ? Left : Same});
    return events;
}

const std::vector<Item> BaseItems = joined(
    UnknownItems,
    {{"BaseNoParams", M}, {"BaseOneParam", M}, {"BaseThreeParams", M}, {"BasePlainLong", M}});

const std::vector<Item> DualBaseItems = joined(DispatchBaseItems, {
    {"GetOnly", G},   {"GetPut", G | L},  {"GetPutRef", G | S}, {"GetPutPutRef", G | L | S},
    {"PutOnly", L},   {"PutRefOnly", S},  {"Indexed", G | L},   {"NoParams", M},
    {"OneParam", M},  {"ThreeParams", M}, {"WithRetval", M},    {"WithLcid", M}});

const std::vector<Item> DualItems = joined(
    DualBaseItems, {{"Optionals", M},
                    {"Arrays", M},
                    {"UserTypes", M},
                    {"AutomationTypes1", M},
                    {"AutomationTypes2", M},
                    {"ReturnsColor", M},
                    {"RestrictedMethod", M, Left},
                    {"HiddenMethod", M, Left},
                    {"HiddenProperty", G, Left},
                    {"Contents", G},
                    {"ByRefVariant", M}});

const std::vector<Item> DispatchItems = joined(
    DispatchBaseItems, {{"Item", M}, {"Clear", M}, {"Add", M}, {"Scale", G | L},
                        {"Count", G | L}, {"Caption", G}, {"ReadOnlyCount", G}});

struct TypeCase {
    std::string type;
    std::vector<Item> items;
};

const std::vector<TypeCase> TypeCases{
    {"FxColor",
     {{"fxRed", C}, {"fxGreen", C}, {"fxBlue", C}, {"fxNegative", C}, {"fxMinusHundred", C},
      {"fxLarge", C}, {"fxLowest", C}}},
    {"FxHiddenEnum", {{"fxHiddenOne", C}}},
    {"FxPoint", {{"x", G | L}, {"y", G | L}}},
    {"FxRect",
     {{"topLeft", G | L}, {"bottomRight", G | L}, {"cells", G | L}, {"grid", G | L},
      {"label", G | L}, {"color", G | L}}},
    {"FxNumber", {{"asLong", G | L}, {"asDouble", G | L}, {"asBytes", G | L}}},
    {"FxHandle", {}},
    {"FxPointAlias", {}},
    {"FxModule",
     {{"FxCompute", M}, {"FxByOrdinal", M}, {"FxMaxItems", C}, {"FxMinusOne", C},
      {"FxShortConst", C}, {"FxGreeting", C}}},
    {"IFxBase", BaseItems},
    {"IFxDerived", joined(BaseItems, {{"DerivedVoidPtr", M},
                                      {"DerivedByRef", M},
                                      {"DerivedRestricted", M, Left},
                                      {"DerivedHidden", M, Left}})},
    {"IFxDualBase", DualBaseItems},
    {"IFxDual", DualItems},
    {"IFxHiddenDual", joined(DispatchBaseItems, {{"Secret", M}})},
    {"DFxDispatch", DispatchItems},
    {"DFxEvents", joined(DispatchBaseItems, {{"Changed", M}, {"Closing", M}, {"Nothing", M}})},
    // The default interface's view, then the default source's functions as events.
    {"FxObject", joined(DualItems, asEvents({{"Changed", M}, {"Closing", M}, {"Nothing", M}}))},
    {"FxHiddenObject", BaseItems},
    // No interface flagged default: the first that is no source, and the first source.
    {"FxNoDefault", joined(DispatchItems, asEvents({{"Progress", M}}))},
};

// Wrapper.idl: dispinterfaces that wrap an interface show its dispatch view, and
// accessors that are hidden or restricted leave the user view one by one.
const std::vector<Item> WrapDualItems = joined(DispatchBaseItems, {{"Start", M}, {"Count", G}});
const std::vector<Item> WrapInnerItems = joined(
    DispatchBaseItems,
    {{"Reset", M}, {"Level", G}, {"Run", M},
     {"Caption", G | L, G},  // put restricted and hidden
     {"Width", G | L, L},    // get hidden
     {"Secret", G | L, Left},  // get restricted, put hidden
     {"HiddenMethod", M, Left}, {"RestrictedMethod", M, Left}, {"Target", S | G}});
const std::vector<Item> WrapEventItems = joined(UnknownItems, {{"Changed", M}, {"Closed", M}});

const std::vector<TypeCase> WrapperCases{
    {"IWrapDual", WrapDualItems},
    {"DWrapDual", WrapDualItems},
    {"IWrapInner", WrapInnerItems},
    {"DWrapInner", WrapInnerItems},
    {"IWrapEvents", WrapEventItems},
    {"DWrapEvents", WrapEventItems},
    {"WrapObject", joined(WrapInnerItems, [] {
         std::vector<Item> events;
         for (const Item& item : WrapEventItems) events.push_back({item.name, E, item.userKinds});
         return events;
     }())},
};

std::vector<Item> viewOf(const TypeLibrary& library, SearchData type, int32_t flag) {
    Expected<Collection<MemberItem>> members = library.GetMembers(type, flag);
    EXPECT_TRUE(members) << members.error().description;
    std::vector<Item> items;
    if (!members) return items;
    for (const MemberItem& member : members->items())
        items.push_back({std::string(member.Name), member.InvokeKinds});
    return items;
}

std::vector<Item> userViewOf(const std::vector<Item>& full) {
    std::vector<Item> visible;
    for (const Item& item : full)
        if (item.userKinds != Left)
            visible.push_back({item.name, item.userKinds == Same ? item.kinds : item.userKinds});
    return visible;
}

void expectSameItems(const std::vector<Item>& actual, const std::vector<Item>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name) << "item " << i;
        EXPECT_EQ(actual[i].kinds, expected[i].kinds) << expected[i].name;
    }
}

// Every build of the fixture library must give the same views.
void expectViews(const std::string& file, const std::vector<TypeCase>& cases) {
    const TypeLibrary* library = fixtureLibrary(file);
    ASSERT_NE(library, nullptr);
    for (const TypeCase& expected : cases) {
        SCOPED_TRACE(expected.type);
        const SearchData type = typeIndex(*library, expected.type);
        expectSameItems(viewOf(*library, type, memberview::AllMembers), expected.items);
        expectSameItems(viewOf(*library, type, memberview::UserView), userViewOf(expected.items));
    }
}

class FixtureViews : public ::testing::TestWithParam<std::string> {};

TEST_P(FixtureViews, EveryTypeListsWhatItsIdlDeclares) { expectViews(GetParam(), TypeCases); }

TEST(WrapperViews, EveryTypeListsWhatItsIdlDeclares) {
    for (const char* file : {"Wrapper.tlb", "Wrapper64.tlb"}) {
        SCOPED_TRACE(file);
        expectViews(file, WrapperCases);
    }
}

TEST_P(FixtureViews, MemberIdsNamePositionsInTheFullViewNotDispIds) {
    const TypeLibrary* library = fixtureLibrary(GetParam());
    ASSERT_NE(library, nullptr);
    const SearchData type = typeIndex(*library, "FxObject");
    Expected<Collection<MemberItem>> full = library->GetMembers(type, memberview::AllMembers);
    Expected<Collection<MemberItem>> user = library->GetMembers(type, memberview::UserView);
    ASSERT_TRUE(full && user);
    std::set<int32_t> ids;
    for (size_t i = 0; i < full->items().size(); ++i) {
        EXPECT_EQ(full->items()[i].MemberId, static_cast<int32_t>(i));
        ids.insert(full->items()[i].MemberId);
    }
    EXPECT_EQ(ids.size(), full->items().size());
    // GetOnly and the event Changed share DISPID 1, not their MemberId.
    const MemberItem& getOnly = full->items()[DispatchBaseItems.size()];
    const MemberItem& changed = full->items()[DualItems.size() + DispatchBaseItems.size()];
    EXPECT_EQ(getOnly.DispId, 1);
    EXPECT_EQ(changed.DispId, 1);
    EXPECT_NE(getOnly.MemberId, changed.MemberId);
    // The user view keeps the full view's ids.
    for (const MemberItem& item : user->items())
        EXPECT_EQ(full->items()[static_cast<size_t>(item.MemberId)].Name, item.Name);
}

TEST_P(FixtureViews, HiddenAndRestrictedFlagsAreKeptForTools) {
    const TypeLibrary* library = fixtureLibrary(GetParam());
    ASSERT_NE(library, nullptr);
    Expected<Collection<MemberItem>> members =
        library->GetMembers(typeIndex(*library, "IFxDerived"), memberview::AllMembers);
    ASSERT_TRUE(members);
    const auto& items = members->items();
    ASSERT_EQ(items.size(), 11u);
    EXPECT_TRUE(items[0].restricted);  // IUnknown's QueryInterface
    EXPECT_TRUE(items[9].restricted);
    EXPECT_FALSE(items[9].hidden);
    EXPECT_TRUE(items[10].hidden);
    EXPECT_FALSE(items[10].restricted);
    EXPECT_FALSE(items[3].hidden || items[3].restricted);
}

INSTANTIATE_TEST_SUITE_P(AllBuilds, FixtureViews,
                         ::testing::Values("Fixture.tlb", "Fixture64.tlb", "Fixture32.dll",
                                           "Fixture64.dll"),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             std::string name = param.param;
                             for (char& c : name)
                                 if (c == '.') c = '_';
                             return name;
                         });

TEST(FixtureLibraryModel, TypesComeInLibraryOrderAndFindTypeIgnoresCase) {
    const TypeLibrary* library = fixtureLibrary("Fixture.tlb");
    ASSERT_NE(library, nullptr);
    const Collection<TypeEntry> types = library->Types();
    ASSERT_EQ(types.items().size(), library->info().types.size());
    for (size_t i = 0; i < types.items().size(); ++i)
        EXPECT_EQ(types.items()[i].Name(), library->info().types[i].name);
    Expected<int16_t> count = types.Count();
    ASSERT_TRUE(count);
    Expected<TypeEntry> first = types.Item(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->index(), 0);
    EXPECT_FALSE(types.Item(0));
    EXPECT_FALSE(types.Item(static_cast<int16_t>(*count + 1)));

    Expected<SearchData> exact = library->FindType("IFxDual", 239);
    Expected<SearchData> folded = library->FindType("ifxDUAL", 0);
    ASSERT_TRUE(exact && folded);
    EXPECT_EQ(*exact, *folded);
    EXPECT_EQ(library->info().types[static_cast<size_t>(*exact)].name, "IFxDual");

    Expected<SearchData> missing = library->FindType("IFxDua", 239);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().number, errc::ElementNotFound);
    EXPECT_EQ(missing.error().description, "Type 'IFxDua' is not in the type library.");
}

TEST(FixtureLibraryModel, BadSearchDataFlagsAndMemberIdsAreErrors) {
    const TypeLibrary* library = fixtureLibrary("Fixture.tlb");
    ASSERT_NE(library, nullptr);
    const SearchData dual = typeIndex(*library, "IFxDual");
    const auto typeCount = static_cast<SearchData>(library->info().types.size());
    EXPECT_FALSE(library->GetMembers(-1, 0));
    EXPECT_FALSE(library->GetMembers(typeCount, 0));
    EXPECT_FALSE(library->GetMembers(dual, 2));
    EXPECT_FALSE(library->GetMember(typeCount, 0, 0, ""));
    EXPECT_FALSE(library->GetMember(dual, 0, -1, ""));
    EXPECT_FALSE(library->GetMember(dual, 0, static_cast<int32_t>(DualItems.size()), ""));
    // GetOnly has no Let accessor, NoParams is no property.
    const auto getOnly = static_cast<int32_t>(DispatchBaseItems.size());
    EXPECT_FALSE(library->GetMember(dual, invoke::PropertyPut, getOnly, ""));
    EXPECT_FALSE(library->GetMember(dual, invoke::PropertyGet, getOnly + 7, ""));
}

TEST(FixtureLibraryModel, ABaseInAMissingLibraryContributesNothing) {
    // IImporterThing derives from VantrelSecond's ISecondBase, which is not reachable
    // without an import resolver.
    const TypeLibrary* library = fixtureLibrary("imports-missing/Importer.tlb");
    ASSERT_NE(library, nullptr);
    const std::vector<Item> own{{"UseKind", M}, {"UsePair", M}, {"UseBase", M}, {"Own", G}};
    expectSameItems(
        viewOf(*library, typeIndex(*library, "IImporterThing"), memberview::AllMembers), own);
    expectSameItems(
        viewOf(*library, typeIndex(*library, "ImporterObject"), memberview::AllMembers), own);
}

}  // namespace
}  // namespace vantrel
