// Variables of the fixture types: enumeration constants (negative and extreme values),
// record and union fields with their types and offsets, module constants.
#include <gtest/gtest.h>

#include "FixtureLibrary.h"

namespace vantrel::testing {
namespace {

struct VarCase {
    const char* name;
    const char* type;
    const char* value;  // describeValue of the constant; "" for a field
};

void expectVars(const LibraryInfo& library, const char* typeName, VarKind kind,
                const std::vector<VarCase>& cases) {
    SCOPED_TRACE(library.name + " " + typeName);
    const TypeInfo& type = typeNamed(library, typeName);
    const MembersRef typeMembers = type.members();
    ASSERT_EQ(typeMembers.vars().size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        const VarDesc& var = typeMembers.vars()[i];
        EXPECT_EQ(var.name, cases[i].name);
        EXPECT_EQ(var.varKind, kind) << cases[i].name;
        EXPECT_EQ(describeType(library, var.type), cases[i].type) << cases[i].name;
        EXPECT_EQ(describeValue(var.constantValue), cases[i].value) << cases[i].name;
    }
}

// Enumeration constants are stored with type INT and I4 values; values that do not fit
// the inline form (negative, large) are stored out of line.
TEST(FixtureValues, EnumerationConstantsIncludingNegativeAndExtremeValues) {
    for (const char* file : {"Fixture.tlb", "Fixture64.tlb"}) {
        expectVars(fixture(file), "FxColor", VarKind::Const,
                   {{"fxRed", "INT", "I4:0"},
                    {"fxGreen", "INT", "I4:1"},
                    {"fxBlue", "INT", "I4:2"},
                    {"fxNegative", "INT", "I4:-1"},
                    {"fxMinusHundred", "INT", "I4:-100"},
                    {"fxLarge", "INT", "I4:2147483647"},
                    {"fxLowest", "INT", "I4:-2147483648"}});
    }
    expectVars(fixture("Fixture.tlb"), "FxHiddenEnum", VarKind::Const,
               {{"fxHiddenOne", "INT", "I4:1"}});
}

TEST(FixtureValues, RecordFieldsWithNestedRecordsAndFixedArrays) {
    const std::vector<VarCase> fields = {{"topLeft", "FxPoint", ""},
                                         {"bottomRight", "FxPoint", ""},
                                         {"cells", "CARRAY[4](I4)", ""},
                                         {"grid", "CARRAY[2x3](I2)", ""},
                                         {"label", "BSTR", ""},
                                         {"color", "FxColor", ""}};
    for (const char* file : {"Fixture.tlb", "Fixture64.tlb"}) {
        expectVars(fixture(file), "FxRect", VarKind::PerInstance, fields);
        expectVars(fixture(file), "FxPoint", VarKind::PerInstance,
                   {{"x", "I4", ""}, {"y", "I4", ""}});
    }
}

TEST(FixtureValues, RecordLayoutFollowsThePointerSize) {
    struct Case {
        const char* file;
        std::vector<int32_t> offsets;
        int32_t size;
    };
    // topLeft, bottomRight, cells[4], grid[2][3] (12 bytes), then the BSTR pointer
    // aligned to the pointer size, then the enumeration.
    const Case cases[] = {{"Fixture.tlb", {0, 8, 16, 32, 44, 48}, 52},
                          {"Fixture64.tlb", {0, 8, 16, 32, 48, 56}, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const TypeInfo& rect = typeNamed(fixture(c.file), "FxRect");
        const MembersRef rectMembers = rect.members();
        std::vector<int32_t> offsets;
        for (const VarDesc& var : rectMembers.vars()) offsets.push_back(var.instanceOffset);
        EXPECT_EQ(offsets, c.offsets);
        EXPECT_EQ(rect.sizeInstance, c.size);
    }
}

TEST(FixtureValues, UnionFieldsShareOffsetZero) {
    const LibraryInfo& library = fixture("Fixture.tlb");
    expectVars(library, "FxNumber", VarKind::PerInstance,
               {{"asLong", "I4", ""}, {"asDouble", "R8", ""}, {"asBytes", "CARRAY[8](UI1)", ""}});
    const TypeInfo& number = typeNamed(library, "FxNumber");
    const MembersRef numberMembers = number.members();
    for (const VarDesc& var : numberMembers.vars()) EXPECT_EQ(var.instanceOffset, 0) << var.name;
    EXPECT_EQ(number.sizeInstance, 8);
}

// Inline (100, -7 as I2) and out-of-line (-1 as I4, the string) constant values.
TEST(FixtureValues, ModuleConstantsOfSeveralTypes) {
    expectVars(fixture("Fixture.tlb"), "FxModule", VarKind::Const,
               {{"FxMaxItems", "I4", "I4:100"},
                {"FxMinusOne", "I4", "I4:-1"},
                {"FxShortConst", "I2", "I2:-7"},
                {"FxGreeting", "BSTR", "BSTR:Hello, fixture"}});
}

TEST(FixtureValues, OtherLibrariesEnumerations) {
    expectVars(fixture("Second.tlb"), "SecondKind", VarKind::Const,
               {{"secondSmall", "INT", "I4:1"}, {"secondLarge", "INT", "I4:2"}});
    expectVars(fixture("Control.tlb"), "SampleBorderStyle", VarKind::Const,
               {{"sampleBorderNone", "INT", "I4:0"},
                {"sampleBorderSingle", "INT", "I4:1"},
                {"sampleBorderDouble", "INT", "I4:2"}});
}

}  // namespace
}  // namespace vantrel::testing
