// The real window, offscreen, driven through its buttons and list with the real reader
// and report, a scripted dialog, message box and shell, and a temporary program folder.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QTest>

#include "AppTestSupport.h"
#include "app/TypeListOrder.h"
#include "report/MemberReport.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

const std::string BrowseFailure = "The requested operation failed. Reason: \r\n";
const std::string ReportFailure = "The report could not be shown. Reason: \r\n";
const std::string LaunchFailure = "The following error occurred: \r\n";

// The library's type names in the list's order, read with the reader itself.
std::vector<std::string> ExpectedEntries(const std::string& path) {
    TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(path);
    EXPECT_TRUE(library) << path;
    if (!library) return {};
    std::vector<std::string> names;
    const Collection<TypeEntry> types = library->Types();
    for (const TypeEntry& type : types.items()) names.push_back(type.Name());
    std::vector<std::string> sorted;
    for (const QString& name : SortedIgnoringCase(names)) sorted.push_back(name.toStdString());
    return sorted;
}

std::string ExpectedPage(const std::string& component, const std::string& type) {
    TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(component);
    EXPECT_TRUE(library);
    auto page = GetProperties(*library, component, type, component);
    EXPECT_TRUE(page) << type;
    return page ? *page : std::string();
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

class WindowTest : public ::testing::Test {
protected:
    WindowUnderTest ui;
    frmMain& window() { return *ui.window; }
    std::vector<std::string> FilesIn(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// --- the window itself -------------------------------------------------------------

TEST_F(WindowTest, StartsWithTheStartPageAnEmptyListAndNothingOpen) {
    window().Form_Load();
    EXPECT_EQ(window().windowTitle(), "Vantrel");
    EXPECT_EQ(window().browser()->CurrentPath(), ui.programFolder.file("default.html"));
    EXPECT_TRUE(window().browser()->toPlainText().contains("Start"));
    EXPECT_EQ(window().typeList()->count(), 0);
    EXPECT_EQ(window().CurrentDLL(), "");
    EXPECT_EQ(window().CurrentPage(), "");
    EXPECT_TRUE(ui.messages->shown.empty());
    EXPECT_FALSE(window().windowIcon().isNull());
}

TEST_F(WindowTest, ControlsSitAtTheirDesignedPlacesAndStayThereOnResize) {
    const int dpiX = window().logicalDpiX();
    const int dpiY = window().logicalDpiY();
    const auto px = [](int twips, int dpi) { return (twips * dpi + 720) / 1440; };
    struct Case {
        QWidget* control;
        int left, top, width, height;
    };
    const Case cases[] = {
        {window().browseButton(), 8760, 720, 1215, 615},
        {window().typeList(), 240, 1920, 5175, 10590},
        {window().textBox(), 240, 720, 8295, 615},
        {window().browser(), 5760, 1920, 10935, 10815},
        {window().launchButton(), 10200, 720, 1215, 615},
        {window().deleteButton(), 14640, 720, 1215, 615},
    };
    const auto check = [&] {
        for (const Case& c : cases)
            EXPECT_EQ(c.control->geometry(), QRect(px(c.left, dpiX), px(c.top, dpiY),
                                                   px(c.width, dpiX), px(c.height, dpiY)))
                << c.control->metaObject()->className();
    };
    EXPECT_EQ(window().size(), QSize(px(16995, dpiX), px(13365, dpiY)));
    check();
    window().show();
    window().resize(400, 300);
    QApplication::processEvents();
    check();
    window().resize(2000, 1500);
    QApplication::processEvents();
    check();
}

TEST_F(WindowTest, CaptionsTabOrderAndNoDefaultButton) {
    EXPECT_EQ(window().browseButton()->text(), "Browse");
    EXPECT_EQ(window().launchButton()->text(), "Launch in Browser");
    EXPECT_EQ(window().deleteButton()->text(), "Delete cached HTML Files");
    for (QPushButton* button : {window().browseButton(), window().launchButton(),
                                window().deleteButton()}) {
        EXPECT_FALSE(button->autoDefault());
        EXPECT_FALSE(button->isDefault());
    }
    const std::vector<QWidget*> expected = {window().browseButton(), window().typeList(),
                                            window().textBox(), window().browser(),
                                            window().launchButton(), window().deleteButton()};
    std::vector<QWidget*> order;
    QWidget* widget = window().browseButton();
    do {
        if (std::find(expected.begin(), expected.end(), widget) != expected.end())
            order.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != window().browseButton() && order.size() < 10);
    EXPECT_EQ(order, expected);
}

class FailingBrowser final : public WebBrowser {
public:
    Expected<void> Navigate(const std::string&) override {
        return makeError(75, "The page can't be loaded.");
    }
};

TEST(WindowStart, AFailingStartPageIsReportedAndTheWindowWorksOn) {
    EnsureApplication();  // before the first widget
    WindowUnderTest ui(std::make_unique<FailingBrowser>());
    ui.window->Form_Load();
    ASSERT_EQ(ui.messages->shown.size(), 1u);
    EXPECT_EQ(ui.messages->shown[0],
              "The start page could not be shown. Reason: \r\nThe page can't be loaded.");
    ui.Browse(Fixture("Second32.dll"));
    EXPECT_EQ(ui.ListEntries(), ExpectedEntries(Fixture("Second32.dll")));
}

TEST_F(WindowTest, TextTypedIntoTheTextBoxChangesNothing) {
    ui.Browse(Fixture("Second32.dll"));
    const auto entries = ui.ListEntries();
    QTest::keyClicks(window().textBox(), "C:/other.dll");
    QTest::keyClick(window().textBox(), Qt::Key_Return);
    EXPECT_EQ(ui.ListEntries(), entries);
    EXPECT_EQ(window().CurrentDLL(), Fixture("Second32.dll"));
    EXPECT_TRUE(ui.messages->shown.empty());
    EXPECT_TRUE(ui.picker->filtersSeen.size() == 1u);
}

// --- Browse ------------------------------------------------------------------------

TEST_F(WindowTest, BrowseListsEveryTypeSortedAndSelectsNone) {
    ui.Browse(Fixture("Fixture32.dll"));
    EXPECT_TRUE(ui.messages->shown.empty());
    EXPECT_EQ(window().CurrentDLL(), Fixture("Fixture32.dll"));
    const auto entries = ui.ListEntries();
    EXPECT_EQ(entries, ExpectedEntries(Fixture("Fixture32.dll")));
    EXPECT_GT(entries.size(), 15u);
    EXPECT_EQ(window().typeList()->currentRow(), -1);
    EXPECT_TRUE(window().typeList()->selectedItems().isEmpty());
    ASSERT_EQ(ui.picker->filtersSeen.size(), 1u);
    EXPECT_EQ(ui.picker->filtersSeen[0],
              QStringList({"COM Components (*.dll *.ocx)", "All Files (*)"}));
}

TEST_F(WindowTest, CancelOnTheFirstPressChangesNothing) {
    ui.Browse(std::nullopt);
    EXPECT_EQ(window().CurrentDLL(), "");
    EXPECT_EQ(window().typeList()->count(), 0);
    EXPECT_TRUE(ui.messages->shown.empty());
}

TEST_F(WindowTest, CancelLaterOpensTheLastConfirmedFileAgain) {
    ui.Browse(Fixture("Second32.dll"));
    ui.Select("SecondKind");
    ui.Browse(std::nullopt);
    EXPECT_EQ(window().CurrentDLL(), Fixture("Second32.dll"));
    EXPECT_EQ(ui.ListEntries(), ExpectedEntries(Fixture("Second32.dll")));
    EXPECT_EQ(window().typeList()->currentRow(), -1);
    EXPECT_TRUE(ui.messages->shown.empty());
}

TEST_F(WindowTest, TwoComponentsInARowListOnlyTheSecond) {
    ui.Browse(Fixture("Fixture32.dll"));
    ui.Browse(Fixture("Control64.dll"));
    EXPECT_EQ(ui.ListEntries(), ExpectedEntries(Fixture("Control64.dll")));
    EXPECT_EQ(window().CurrentDLL(), Fixture("Control64.dll"));
}

TEST_F(WindowTest, FilesWithoutATypeLibraryAreReportedAndTheListStays) {
    for (const char* name : {"NoTypeLib.dll", "NotALibrary.txt", "Empty.tlb", "missing.dll"}) {
        SCOPED_TRACE(name);
        WindowUnderTest fresh;
        fresh.Browse(Fixture("Second32.dll"));
        const auto entries = fresh.ListEntries();
        fresh.Browse(Fixture(name));
        ASSERT_EQ(fresh.messages->shown.size(), 1u);
        EXPECT_TRUE(StartsWith(fresh.messages->shown[0], BrowseFailure));
        EXPECT_GT(fresh.messages->shown[0].size(), BrowseFailure.size());
        EXPECT_EQ(fresh.ListEntries(), entries);
        // The list is still Second32.dll's, and so is the path reports are named by.
        EXPECT_EQ(fresh.window->CurrentDLL(), Fixture("Second32.dll"));
    }
}

TEST_F(WindowTest, AFailedFirstOpeningLeavesNoPathAndCancelRetriesIt) {
    ui.Browse(Fixture("NoTypeLib.dll"));
    EXPECT_EQ(window().CurrentDLL(), "");
    ui.Browse(std::nullopt);  // the dialog still holds the failed name
    ASSERT_EQ(ui.messages->shown.size(), 2u);
    EXPECT_EQ(ui.messages->shown[1], ui.messages->shown[0]);
    EXPECT_EQ(window().CurrentDLL(), "");
}

TEST_F(WindowTest, AReportAfterAFailedOpeningNamesTheLibraryItCameFrom) {
    ui.Browse(Fixture("Second32.dll"));
    ui.Browse(Fixture("NoTypeLib.dll"));
    ui.Select("SecondPair");
    EXPECT_EQ(ui.messages->shown.size(), 1u);
    const std::string report = ui.ReportPath("Second32.dll", "SecondPair");
    EXPECT_EQ(window().CurrentPage(), report);
    EXPECT_EQ(ReadFile(report), ExpectedPage(Fixture("Second32.dll"), "SecondPair"));
    EXPECT_FALSE(fs::exists(ui.ReportPath("NoTypeLib.dll", "SecondPair")));
}

TEST_F(WindowTest, ALibraryWithoutTypesEmptiesTheListSilently) {
    const std::string noTypes = AppDataDir + "/NoTypes.tlb";
    ui.Browse(Fixture("Second32.dll"));
    ui.Browse(noTypes);
    EXPECT_TRUE(ui.messages->shown.empty());
    EXPECT_EQ(window().typeList()->count(), 0);
    EXPECT_EQ(window().CurrentDLL(), noTypes);
}

// --- showing a report ----------------------------------------------------------------

TEST_F(WindowTest, SelectingATypeWritesItsPageAndShowsIt) {
    ui.Browse(Fixture("Fixture32.dll"));
    ui.Select("IFxDual");
    EXPECT_TRUE(ui.messages->shown.empty());
    const std::string report = ui.ReportPath("Fixture32.dll", "IFxDual");
    EXPECT_EQ(window().CurrentPage(), report);
    EXPECT_EQ(ReadFile(report), ExpectedPage(Fixture("Fixture32.dll"), "IFxDual"));
    EXPECT_EQ(window().browser()->CurrentPath(), report);
    EXPECT_TRUE(window().browser()->toPlainText().contains(
        "Properties, Methods, Events and Constants of"));
}

TEST_F(WindowTest, AMouseClickOnAnEntryShowsItsReport) {
    ui.Browse(Fixture("Second32.dll"));
    window().show();
    QListWidget* list = window().typeList();
    ASSERT_GE(list->count(), 2);
    const QRect rect = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    const std::string type = list->item(1)->text().toStdString();
    EXPECT_EQ(window().CurrentPage(), ui.ReportPath("Second32.dll", type));
    EXPECT_TRUE(fs::exists(window().CurrentPage()));
}

TEST_F(WindowTest, ARepeatedReportReplacesTheFileAndLeavesNoTemporaryFiles) {
    ui.Browse(Fixture("Second32.dll"));
    const std::string report = ui.ReportPath("Second32.dll", "SecondKind");
    WriteFile(report, std::string(100000, 'x'));
    ui.Select("SecondKind");
    ui.Select("SecondPair");
    ui.Select("SecondKind");
    EXPECT_EQ(ReadFile(report), ExpectedPage(Fixture("Second32.dll"), "SecondKind"));
    EXPECT_EQ(FilesIn(ui.programFolder.path()),
              (std::vector<std::string>{"Second32.dll_SecondKind.html",
                                        "Second32.dll_SecondPair.html", "default.html"}));
}

TEST_F(WindowTest, AFailedWriteIsReportedKeepsThePreviousPageAndNamesTheNewPath) {
    ui.Browse(Fixture("Second32.dll"));
    ui.Select("SecondKind");
    const std::string shown = window().browser()->CurrentPath();
    // A folder in the report's place can't be replaced by a file.
    const std::string blocked = ui.ReportPath("Second32.dll", "SecondPair");
    fs::create_directories(blocked);
    ui.Select("SecondPair");
    ASSERT_EQ(ui.messages->shown.size(), 1u);
    EXPECT_TRUE(StartsWith(ui.messages->shown[0], ReportFailure));
    EXPECT_EQ(window().CurrentPage(), blocked);
    EXPECT_EQ(window().browser()->CurrentPath(), shown);
    EXPECT_TRUE(fs::is_directory(blocked));

    ui.Select("SecondKind");  // and the window carries on
    EXPECT_EQ(ui.messages->shown.size(), 1u);
    EXPECT_EQ(window().CurrentPage(), ui.ReportPath("Second32.dll", "SecondKind"));
}

TEST_F(WindowTest, AMissingProgramFolderIsReportedForEachReport) {
    ui.Browse(Fixture("Second32.dll"));
    fs::remove_all(ui.programFolder.path());
    ui.Select("SecondKind");
    ui.Select("SecondPair");
    ASSERT_EQ(ui.messages->shown.size(), 2u);
    EXPECT_TRUE(StartsWith(ui.messages->shown[1], ReportFailure));
    EXPECT_EQ(window().CurrentPage(), ui.ReportPath("Second32.dll", "SecondPair"));
}

// A copy of Second.tlb whose enumeration is named "../../evil" (same length as its name
// "SecondKind", so the name table's offsets stay right).
std::string LibraryWithPathLikeTypeName(const TempFolder& folder) {
    std::string bytes = ReadFile(Fixture("Second.tlb"));
    const std::string name = "SecondKind";
    const auto at = bytes.find(name);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) bytes.replace(at, name.size(), "../../evil");
    const std::string path = folder.file("Hostile.tlb");
    WriteFile(path, bytes);
    return path;
}

TEST_F(WindowTest, APathLikeTypeNameStaysInsideTheProgramFolder) {
    TempFolder components;
    const std::string hostile = LibraryWithPathLikeTypeName(components);
    ui.Browse(hostile);
    ASSERT_TRUE(ui.messages->shown.empty()) << ui.messages->shown[0];
    ui.Select("../../evil");
    EXPECT_TRUE(ui.messages->shown.empty());
    const std::string report = ui.programFolder.file("Hostile.tlb_.._.._evil.html");
    EXPECT_EQ(window().CurrentPage(), report);
    EXPECT_TRUE(fs::exists(report));
    EXPECT_FALSE(fs::exists(fs::path(ui.programFolder.path()).parent_path().parent_path() /
                            "evil.html"));
}

// --- Launch in Browser ---------------------------------------------------------------

TEST_F(WindowTest, LaunchBeforeAnyReportOpensTheProgramFolderEachTime) {
    window().launchButton()->click();
    window().launchButton()->click();
    EXPECT_EQ(ui.shell->launched,
              (std::vector<std::string>{ui.programFolder.path(), ui.programFolder.path()}));
    EXPECT_EQ(window().CurrentPage(), ui.programFolder.path());
    EXPECT_TRUE(ui.messages->shown.empty());
}

TEST_F(WindowTest, LaunchOpensTheLastReportAlsoAfterItWasDeleted) {
    ui.Browse(Fixture("Second32.dll"));
    ui.Select("SecondPair");
    ASSERT_TRUE(window().browser()->Navigate(ui.programFolder.file("default.html")));
    window().launchButton()->click();
    window().deleteButton()->click();
    window().launchButton()->click();
    const std::string report = ui.ReportPath("Second32.dll", "SecondPair");
    EXPECT_FALSE(fs::exists(report));
    EXPECT_EQ(ui.shell->launched, (std::vector<std::string>{report, report}));
    EXPECT_TRUE(ui.messages->shown.empty());
}

TEST_F(WindowTest, ALauncherThatCannotStartIsReported) {
    ui.shell->launcherMissing = true;
    window().launchButton()->click();
    ASSERT_EQ(ui.messages->shown.size(), 1u);
    EXPECT_EQ(ui.messages->shown[0],
              LaunchFailure + "The desktop's launcher could not be started.");
    EXPECT_EQ(window().CurrentPage(), ui.programFolder.path());
}

// --- Delete cached HTML Files ---------------------------------------------------------

TEST_F(WindowTest, DeleteRemovesOnlyTheReportPagesDirectlyInTheFolder) {
    const TempFolder& folder = ui.programFolder;
    ui.Browse(Fixture("Second32.dll"));
    ui.Select("SecondKind");
    ui.Select("SecondObject");
    ui.Select("SecondPair");
    const std::string readOnly = ui.ReportPath("Second32.dll", "SecondObject");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    const std::string reportLike = "<html>\r\n<head><title>x members</title></head>";
    WriteFile(folder.file("notes.html"), "<html><body>my own notes</body></html>");
    WriteFile(folder.file("DEFAULT.HTML"), reportLike);  // a start page, by name
    WriteFile(folder.file("other.txt"), reportLike);
    WriteFile(folder.file("old.htm"), reportLike);
    fs::create_directories(folder.file("sub"));
    WriteFile(folder.file("sub/Second32.dll_SecondKind.html"), reportLike);
    const std::string shown = window().browser()->CurrentPath();

    window().deleteButton()->click();
    const std::vector<std::string> left = {"DEFAULT.HTML", "Second32.dll_SecondObject.html",
                                           "default.html", "notes.html", "other.txt", "sub"};
    EXPECT_EQ(FilesIn(folder.path()), left);
    EXPECT_TRUE(fs::exists(folder.file("sub/Second32.dll_SecondKind.html")));
    EXPECT_EQ(window().CurrentPage(), ui.ReportPath("Second32.dll", "SecondPair"));
    EXPECT_EQ(window().browser()->CurrentPath(), shown);
    EXPECT_EQ(ui.ListEntries(), ExpectedEntries(Fixture("Second32.dll")));

    window().deleteButton()->click();
    EXPECT_EQ(FilesIn(folder.path()), left);
    EXPECT_TRUE(ui.messages->shown.empty());
}

TEST_F(WindowTest, DeleteBeforeAnyReportAndWithoutAProgramFolderSaysNothing) {
    window().deleteButton()->click();
    EXPECT_EQ(FilesIn(ui.programFolder.path()), std::vector<std::string>{"default.html"});
    fs::remove_all(ui.programFolder.path());
    window().deleteButton()->click();
    EXPECT_TRUE(ui.messages->shown.empty());
}

}  // namespace
}  // namespace vantrel::testing
