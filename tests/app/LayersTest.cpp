// The platform layers on their own: the dialog's filter and remembered name, the text
// file that is written whole or not at all, deletion that spares read-only files, and
// which files count as report pages.
#include <filesystem>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/CachedReport.h"
#include "app/CommonDialog.h"
#include "app/FileSystemObject.h"
#include "app/TypeListOrder.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

TEST(DialogFilter, ComponentFilterBecomesTwoQtFiltersFirstInForce) {
    const QStringList filters =
        ParseDialogFilter("COM Components (*.dll;*.ocx)|*.dll;*.ocx|All Files (*.*)|*.*");
    EXPECT_EQ(filters, QStringList({"COM Components (*.dll *.ocx)", "All Files (*)"}));
}

TEST(DialogFilter, OddInputs) {
    struct Case {
        const char* filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"", {}},
        {"Text|*.txt", {"Text (*.txt)"}},
        {"Text|*.txt|Dangling", {"Text (*.txt)"}},
        {"Both| *.a ; *.b ", {"Both (*.a *.b)"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDialogFilter(c.filter), c.expected) << c.filter;
}

TEST(CommonDialog, CancelReturnsTheLastConfirmedName) {
    EnsureApplication();
    ScriptedPicker picker;
    CommonDialog dialog(picker);
    picker.answers = {std::nullopt, "/x/a.dll", std::nullopt, "/x/b.ocx", std::nullopt};
    const char* expected[] = {"", "/x/a.dll", "/x/a.dll", "/x/b.ocx", "/x/b.ocx"};
    for (const char* name : expected) {
        dialog.ShowOpen();
        EXPECT_EQ(dialog.FileName(), name);
    }
}

TEST(TypeListOrder, AlphabeticalIgnoringCaseStable) {
    const QStringList sorted = SortedIgnoringCase({"beta", "Alpha", "alpha", "Gamma", "ALPHA", "_x"});
    EXPECT_EQ(sorted, QStringList({"_x", "Alpha", "alpha", "ALPHA", "beta", "Gamma"}));
}

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    TempFolder folder;
    FileSystemObject fso;
    std::vector<std::string> TempFilesLeft() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(FileSystemTest, WrittenTextReplacesTheFileWhole) {
    const std::string path = folder.file("page.html");
    WriteFile(path, "an older and much longer page than the new one");
    {
        auto stream = fso.OpenTextFile(path, iomode::ForWriting, true, tristate::False);
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->Write("<html>\r\nnew"));
        ASSERT_TRUE(stream->Write(" caf\xC3\xA9"));
        ASSERT_TRUE(stream->Close());
    }
    EXPECT_EQ(ReadFile(path), "<html>\r\nnew caf\xC3\xA9");
    EXPECT_EQ(TempFilesLeft(), std::vector<std::string>{"page.html"});
}

TEST_F(FileSystemTest, AStreamNotClosedLeavesThePreviousFileAndNoPartialOne) {
    const std::string path = folder.file("page.html");
    WriteFile(path, "previous");
    {
        auto stream = fso.OpenTextFile(path, iomode::ForWriting, true, tristate::False);
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->Write("half a pa"));
    }
    EXPECT_EQ(ReadFile(path), "previous");
    EXPECT_EQ(TempFilesLeft(), std::vector<std::string>{"page.html"});

    { ASSERT_TRUE(fso.OpenTextFile(folder.file("new.html"), iomode::ForWriting, true, tristate::False)); }
    EXPECT_FALSE(fs::exists(folder.file("new.html")));
}

TEST_F(FileSystemTest, OpeningFailsForAReadOnlyFileAndAMissingFolder) {
    const std::string readOnly = folder.file("locked.html");
    WriteFile(readOnly, "kept");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    const auto refused = fso.OpenTextFile(readOnly, iomode::ForWriting, true, tristate::False);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().number, 70);
    EXPECT_EQ(ReadFile(readOnly), "kept");

    const auto missing =
        fso.OpenTextFile(folder.file("no/such/folder.html"), iomode::ForWriting, true, tristate::False);
    ASSERT_FALSE(missing);
    EXPECT_FALSE(missing.error().description.empty());
}

TEST_F(FileSystemTest, DeleteWithoutForceSparesReadOnlyFilesEvenForRoot) {
    const std::string readOnly = folder.file("a.html");
    const std::string writable = folder.file("b.html");
    WriteFile(readOnly, "x");
    WriteFile(writable, "x");
    fs::permissions(readOnly, fs::perms::owner_read);
    EXPECT_FALSE(File(readOnly).Delete(false));
    EXPECT_TRUE(fs::exists(readOnly));
    EXPECT_TRUE(File(writable).Delete(false));
    EXPECT_FALSE(fs::exists(writable));
    EXPECT_TRUE(File(readOnly).Delete(true));
    EXPECT_FALSE(fs::exists(readOnly));
}

TEST_F(FileSystemTest, FolderFilesAreTheFilesDirectlyInIt) {
    WriteFile(folder.file("one.html"), "");
    fs::create_directories(folder.file("sub.html"));
    WriteFile(folder.file("sub.html/two.html"), "");
    auto files = fso.GetFolder(folder.path())->Files();
    ASSERT_TRUE(files);
    ASSERT_EQ(files->size(), 1u);
    EXPECT_EQ((*files)[0].ShortName(), "one.html");
    EXPECT_FALSE(fso.GetFolder(folder.file("missing")));
}

TEST(CachedReportName, EndingsAndTheStartPage) {
    struct Case {
        const char* name;
        bool report;
    };
    const Case cases[] = {
        {"Lib.dll_Type.html", true}, {"X.HTML", true},        {"page.htm", true},
        {"PAGE.HTM", true},          {"xhtml", true},         {"html", true},
        {"a.htmlx", false},          {"a.htm5", false},       {"a.txt", false},
        {"htm", false},              {"default.html", false}, {"DEFAULT.HTML", false},
        {"DEFAUL~1.HTM", false},     {"default.htm", true},   {"Default.dll_T.html", true},
    };
    for (const Case& c : cases) EXPECT_EQ(HasReportPageName(c.name), c.report) << c.name;
}

TEST(CachedReportContent, OnlyPagesThatBeginLikeAReport) {
    TempFolder folder;
    struct Case {
        const char* name;
        const char* content;
        bool report;
    };
    const Case cases[] = {
        {"r.html", "<html>\r\n<head><title>x members</title>", true},
        {"mine.html", "<html>\n<head><title>my page</title>", false},
        {"upper.html", "<HTML>\r\n<head><title>", false},
        {"short.html", "<html>\r\n<he", false},
        {"empty.html", "", false},
        {"r.txt", "<html>\r\n<head><title>", false},
    };
    for (const Case& c : cases) {
        WriteFile(folder.file(c.name), c.content);
        EXPECT_EQ(IsCachedReport(File(folder.file(c.name))), c.report) << c.name;
    }
}

}  // namespace
}  // namespace vantrel::testing
