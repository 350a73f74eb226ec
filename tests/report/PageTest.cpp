// The report page's rules on fixture types: the exact empty page, title and heading,
// one numbered line per member, and failures that give no page. (The line formats
// themselves are checked in full by the golden pages.)
#include <gtest/gtest.h>

#include <string>

#include "PageChecks.h"
#include "report/MemberReport.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

TypeLibrary openFixture(const std::string& name) {
    TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(std::string(VANTREL_FIXTURES_DIR) + "/" + name);
    if (!library) throw std::runtime_error(library.error().description);
    return std::move(*library);
}

std::string pageOf(const TypeLibrary& library, const std::string& type) {
    const auto page = GetProperties(library, "C:\\F\\Fixture.tlb", type, "C:\\F\\Fixture.tlb");
    if (!page) throw std::runtime_error(page.error().description);
    return *page;
}

TEST(MemberReport, TypeWithoutMembersGivesTheBarePage) {
    const TypeLibrary library = openFixture("Fixture.tlb");
    EXPECT_EQ(pageOf(library, "FxHandle"),
              "<html>\r\n<head><title>C:\\F\\Fixture.tlb members</title></head>"
              "<h3>Properties, Methods, Events and Constants of C:\\F\\Fixture.tlb  (FxHandle)</h3><p>"
              "\r\n\r\n<b><u>Properties:</u></b><p>\r\n<code></code><p>"
              "<b><u>Methods:</u></b><p><code></code><p>"
              "<b><u>Events:</u></b><p><code></code><p>"
              "<b><u>Constants:</u></b><p><p></html>");
}

TEST(MemberReport, TitleShowsTheCurrentComponentAndHeadingTheGivenOneBothEscaped) {
    const TypeLibrary library = openFixture("Fixture.tlb");
    const auto page = GetProperties(library, "/a&b/<dll>", "fxcolor", "/current>dll&");
    ASSERT_TRUE(page) << page.error().description;
    EXPECT_TRUE(page->starts_with(
        "<html>\r\n<head><title>/current&gt;dll&amp; members</title></head>"
        "<h3>Properties, Methods, Events and Constants of /a&amp;b/&lt;dll&gt;  (fxcolor)</h3><p>\r\n\r\n"))
        << *page;
}

TEST(MemberReport, EveryCaptionedMemberHasItsNumberedLine) {
    for (const std::string fixture : {"Fixture.tlb", "Fixture64.tlb", "Control.tlb", "Second.tlb",
                                      "Importer.tlb", "imports-missing/Importer.tlb", "Names.tlb",
                                      "Escaping.tlb"}) {
        const TypeLibrary library = openFixture(fixture);
        const Collection<TypeEntry> types = library.Types();
        for (const TypeEntry& type : types.items()) {
            const std::string page = pageOf(library, std::string(type.Name()));
            EXPECT_TRUE(testing::PageListsMembers(library, std::string(type.Name()), page))
                << fixture << " " << type.Name();
        }
    }
}

TEST(MemberReport, UnknownTypeGivesTheLookUpErrorAndNoPage) {
    const TypeLibrary library = openFixture("Fixture.tlb");
    const auto page = GetProperties(library, "x", "NoSuchType", "x");
    ASSERT_FALSE(page);
    EXPECT_EQ(page.error(), library.FindType("NoSuchType", 239).error());
}

}  // namespace
}  // namespace vantrel
