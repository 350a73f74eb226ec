// The real window, offscreen, driven through its buttons and list with the real reader
// and report, a scripted dialog, message box and shell, and a temporary program folder.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include "AppTestSupport.h"
#include "app/DesignedGeometry.h"
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
    for (const TypeEntry& type : types.items()) names.emplace_back(type.Name());
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

// Cancel leaves the list, its selection and scroll position, the open library and the
// path as they were, also after a failed opening; the dialog starts from the file
// confirmed last.
TEST_F(WindowTest, CancelLeavesEverythingAsItWas) {
    ui.Browse(Fixture("Fixture32.dll"));
    ui.Select("IFxDual");
    const int row = window().typeList()->currentRow();
    const std::string page = window().CurrentPage();
    ui.Browse(std::nullopt);
    ui.Browse(Fixture("NoTypeLib.dll"));
    ui.Browse(std::nullopt);
    ui.Browse(std::nullopt);
    ASSERT_EQ(ui.messages->shown.size(), 1u);  // the failed opening, once
    EXPECT_EQ(window().CurrentDLL(), Fixture("Fixture32.dll"));
    EXPECT_EQ(window().typeList()->currentRow(), row);
    EXPECT_EQ(window().CurrentPage(), page);
    EXPECT_EQ(window().browser()->CurrentPath(), page);
    EXPECT_EQ(ui.ListEntries(), ExpectedEntries(Fixture("Fixture32.dll")));
    EXPECT_EQ(ui.picker->startsSeen,
              (std::vector<std::string>{"", Fixture("Fixture32.dll"), Fixture("Fixture32.dll"),
                                        Fixture("NoTypeLib.dll"), Fixture("NoTypeLib.dll")}));
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

TEST_F(WindowTest, AFailedFirstOpeningLeavesNoPath) {
    ui.Browse(Fixture("NoTypeLib.dll"));
    EXPECT_EQ(window().CurrentDLL(), "");
    EXPECT_EQ(ui.messages->shown.size(), 1u);
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

// A symbolic link named like a report page is replaced by the page; whatever it points
// to stays as it was (or absent).
TEST_F(WindowTest, ALinkInAReportsPlaceIsReplacedNotWrittenThrough) {
    TempFolder elsewhere;
    struct Case {
        const char* name;
        std::string target;
        bool targetExists;
    };
    const Case cases[] = {
        {"link to a file", elsewhere.file("precious.txt"), true},
        {"dangling link", elsewhere.file("absent.txt"), false},
    };
    ui.Browse(Fixture("Second32.dll"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.targetExists) WriteFile(c.target, "precious");
        const std::string report = ui.ReportPath("Second32.dll", "SecondKind");
        fs::remove(report);
        fs::create_symlink(c.target, report);
        ui.Select("SecondPair");
        ui.Select("SecondKind");
        EXPECT_TRUE(ui.messages->shown.empty());
        EXPECT_FALSE(fs::is_symlink(report));
        EXPECT_EQ(ReadFile(report), ExpectedPage(Fixture("Second32.dll"), "SecondKind"));
        EXPECT_EQ(fs::exists(c.target), c.targetExists);
        if (c.targetExists) {
            EXPECT_EQ(ReadFile(c.target), "precious");
        }
    }
}

TEST_F(WindowTest, AReportFolderThatCannotBeMadeIsReportedForEachReport) {
    ui.Browse(Fixture("Second32.dll"));
    fs::remove_all(ui.programFolder.path());
    WriteFile(ui.home.file("cache"), "a file where the cache folder's parent should be");
    ui.Select("SecondKind");
    ui.Select("SecondPair");
    ASSERT_EQ(ui.messages->shown.size(), 2u);
    EXPECT_TRUE(StartsWith(ui.messages->shown[1], ReportFailure));
    EXPECT_EQ(window().CurrentPage(), ui.cacheFolder() + "/Second32.dll_SecondPair.html");
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

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// --- where reports go --------------------------------------------------------------

// Reports, Launch before any report and Delete use the program folder where it can be
// written, else the user's cache folder, made owner-only on first use; the start page
// comes from the program folder where it has one, else from the installed data folder.
TEST(ReportFolder, TheProgramFolderWhereWritableElseTheCacheFolder) {
    enum class Program { Writable, Installed, ReadOnly, ReadOnlyWithoutStartPage, Missing };
    struct Case {
        const char* name;
        Program program;
        bool toCache;
        const char* startPage;
    };
    const Case cases[] = {
        {"writable", Program::Writable, false, "Start"},
        {"installed, writable all the same", Program::Installed, true, "Start"},
        {"read-only", Program::ReadOnly, true, "Start"},
        {"read-only, start page installed", Program::ReadOnlyWithoutStartPage, true, "Installed"},
        {"missing", Program::Missing, true, "Installed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowUnderTest ui(nullptr, c.program == Program::Installed);
        const std::string program = ui.programFolder.path();
        if (c.program == Program::ReadOnlyWithoutStartPage) fs::remove(program + "/default.html");
        if (c.program == Program::Missing) fs::remove_all(program);
        if (c.program == Program::ReadOnly || c.program == Program::ReadOnlyWithoutStartPage)
            fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::group_read | fs::perms::group_exec);
        const std::string folder = c.toCache ? ui.cacheFolder() : program;

        ui.window->Form_Load();
        EXPECT_TRUE(ui.window->browser()->toPlainText().contains(c.startPage));
        ui.window->launchButton()->click();
        EXPECT_EQ(ui.shell->launched, std::vector<std::string>{folder});
        EXPECT_TRUE(fs::is_directory(folder));
        ui.Browse(Fixture("Second32.dll"));
        ui.Select("SecondKind");
        const std::string report = folder + "/Second32.dll_SecondKind.html";
        EXPECT_EQ(ui.window->CurrentPage(), report);
        EXPECT_EQ(ReadFile(report), ExpectedPage(Fixture("Second32.dll"), "SecondKind"));
        EXPECT_TRUE(ui.window->browser()->toPlainText().contains("SecondKind"));
        if (c.toCache) {
            EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
        }
        ui.window->deleteButton()->click();
        EXPECT_FALSE(fs::exists(report));
        EXPECT_TRUE(ui.messages->shown.empty());
        fs::permissions(fs::path(program).parent_path(), fs::perms::owner_all, fs::perm_options::add);
        if (fs::exists(program)) fs::permissions(program, fs::perms::owner_all);
    }
}

// --- the window's size ---------------------------------------------------------------

TEST(WindowFit, FactorShrinksTheDesignOnlyWhereItDoesNotFit) {
    struct Case {
        const char* screen;
        QSize available;
        double factor;
    };
    // The designed client area at 96 dpi, and at 144 dpi (150%), with a 16x40 frame.
    const QSize at96(1133, 891), at144(1700, 1337), frame(16, 40);
    const Case cases[] = {
        {"1920x1200", QSize(1920, 1170), 1.0},
        {"1280x1024", QSize(1280, 1024), 1.0},
        {"1024x768 with a panel", QSize(1024, 740), 700.0 / 891},
        {"800x600", QSize(800, 600), 560.0 / 891},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(FitFactor(at96, frame, c.available), c.factor) << c.screen;
    // 1920x1080 at 150%: the 144-dpi design on 1920x1050 available pixels.
    EXPECT_DOUBLE_EQ(FitFactor(at144, frame * 1.5, QSize(1920, 1050)), (1050 - 60.0) / 1337);
    EXPECT_DOUBLE_EQ(FitFactor(at96, frame, QSize(100, 100)), 0.25);
}

TEST(WindowFit, OnASmallScreenTheWholeWindowShrinksByOneFactor) {
    WindowUnderTest ui;
    frmMain& window = *ui.window;
    const int dpi = window.logicalDpiX();
    const QSize designed(TwipsToPixels(ClientWidthTwips, dpi), TwipsToPixels(ClientHeightTwips, dpi));
    EXPECT_EQ(window.LayoutFactor(), 1.0);
    EXPECT_EQ(window.maximumSize(), designed);

    QScreen* small = nullptr;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == "small") small = screen;
    ASSERT_NE(small, nullptr);
    window.setScreen(small);
    window.FitToScreen();
    const double factor = window.LayoutFactor();
    EXPECT_LT(factor, 0.9);
    EXPECT_LE(window.height() + 40, small->availableGeometry().height());
    EXPECT_LE(window.width(), small->availableGeometry().width());
    EXPECT_EQ(window.maximumSize(), window.size());
    EXPECT_EQ(window.browser()->geometry(), TwipsToPixels(WebBrowser1Rect, dpi, dpi, factor));
    EXPECT_EQ(window.deleteButton()->geometry(), TwipsToPixels(Command3Rect, dpi, dpi, factor));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// --- the list ------------------------------------------------------------------------

TEST(TypeList, ANewListIsShownFromTheTop) {
    const std::string mshtml = std::string(VANTREL_REAL_LIBS_DIR) + "/mshtml.tlb";
    if (!fs::exists(mshtml)) GTEST_SKIP() << "no " << mshtml;
    WindowUnderTest ui;
    ui.window->show();
    for (const std::string& next : {mshtml, Fixture("Fixture32.dll")}) {
        ui.Browse(mshtml);
        QListWidget* list = ui.window->typeList();
        list->scrollToBottom();
        QApplication::processEvents();
        ASSERT_GT(list->verticalScrollBar()->value(), 0);
        ui.Browse(next);
        QApplication::processEvents();
        EXPECT_EQ(list->verticalScrollBar()->value(), 0) << next;
    }
}

// --- the command line and drops ------------------------------------------------------

TEST(OpenFile, OpensLikeAFileConfirmedInTheDialog) {
    WindowUnderTest ui;
    const fs::path before = fs::current_path();
    fs::current_path(FixturesDir);
    ui.window->OpenFile("Second32.dll");  // relative to the working folder
    fs::current_path(before);
    EXPECT_EQ(ui.window->CurrentDLL(), Fixture("Second32.dll"));
    EXPECT_EQ(ui.ListEntries(), ExpectedEntries(Fixture("Second32.dll")));
    ui.window->OpenFile(Fixture("NoTypeLib.dll"));
    ASSERT_EQ(ui.messages->shown.size(), 1u);
    EXPECT_TRUE(StartsWith(ui.messages->shown[0], BrowseFailure));
    ui.Browse(std::nullopt);
    EXPECT_EQ(ui.picker->startsSeen, std::vector<std::string>{Fixture("NoTypeLib.dll")});
    EXPECT_EQ(ui.ListEntries(), ExpectedEntries(Fixture("Second32.dll")));
}

TEST(OpenFile, ADroppedLocalFileIsOpened) {
    struct Case {
        QList<QUrl> urls;
        std::string listed;  // the component listed after the drop, empty for none
    };
    const Case cases[] = {
        {{QUrl::fromLocalFile(QString::fromStdString(Fixture("Control64.dll")))},
         Fixture("Control64.dll")},
        {{QUrl("https://example.org/a.dll"),
          QUrl::fromLocalFile(QString::fromStdString(Fixture("Second32.dll")))},
         Fixture("Second32.dll")},
        {{QUrl("https://example.org/a.dll")}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        WindowUnderTest ui;
        ui.window->show();
        QMimeData data;
        data.setUrls(c.urls);
        const QPoint at = ui.window->browser()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(ui.window.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), !c.listed.empty()) << c.listed;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(ui.window.get(), &drop);
        QApplication::processEvents();
        EXPECT_EQ(ui.window->CurrentDLL(), c.listed);
        if (!c.listed.empty()) {
            EXPECT_EQ(ui.ListEntries(), ExpectedEntries(c.listed));
        }
        EXPECT_TRUE(ui.messages->shown.empty());
    }
}

// The program itself, run as a process: answers without a display, and a missing or
// unreachable display is one line and status 2, not Qt's abort.
TEST(Program, ArgumentsAndDisplays) {
    struct Case {
        QStringList arguments;
        QStringList environment;  // NAME=value; every display variable is unset before
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {{"--help"}, {}, 0, "Usage: vantrel [FILE]", ""},
        {{"--version"}, {}, 0, "vantrel " VANTREL_VERSION, ""},
        {{}, {}, 2, "", "vantrel: no display found; use the command-line tool vantrel-report"},
        {{"x.dll"}, {"DISPLAY=:97"}, 2, "", "vantrel: the display \":97\" can't be reached;"},
        {{}, {"QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY=/nonexistent"}, 2, "", "vantrel-report"},
        {{"--frobnicate"}, {"QT_QPA_PLATFORM=offscreen"}, 2, "", "unexpected argument"},
        {{"a.dll", "b.dll"}, {"QT_QPA_PLATFORM=offscreen"}, 2, "", "unexpected argument \"b.dll\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + " " + c.environment.join(' ').toStdString());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        for (const QString& setting : c.environment)
            environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(VANTREL_APP_PROGRAM, c.arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(out.contains(c.out)) << out.toStdString();
        EXPECT_TRUE(err.contains(c.err)) << err.toStdString();
        if (c.status == 2 && !c.environment.contains("QT_QPA_PLATFORM=offscreen")) {
            EXPECT_EQ(err.count(u'\n'), 1) << err.toStdString();  // Qt never started
        }
    }
}

}  // namespace
}  // namespace vantrel::testing

namespace vantrel::testing {
namespace {

// The control shows a page as the HTML reader makes it, only with each line of a paragraph
// as a paragraph of its own: the same text, at nearly the same height.
TEST(WebBrowser, APageShowsItsTextAtTheHeightTheHtmlGives) {
    EnsureApplication();
    const std::string mshtml = std::string(VANTREL_REAL_LIBS_DIR) + "/mshtml.tlb";
    struct Case {
        std::string component;
        std::string type;  // empty: the start page
    };
    std::vector<Case> cases = {{"", ""}, {Fixture("Fixture32.dll"), "IFxDual"},
                               {Fixture("Second32.dll"), "SecondKind"}};
    if (fs::exists(mshtml))
        for (const char* type : {"DispHTMLW3CComputedStyle", "DispHTMLDocument", "HTMLDocument"})
            cases.push_back({mshtml, type});
    TempFolder folder;
    WebBrowser browser;
    browser.resize(729, 721);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const std::string path = folder.file("page.html");
        if (c.type.empty())
            fs::copy_file(VANTREL_START_PAGE, path, fs::copy_options::overwrite_existing);
        else
            WriteFile(path, ExpectedPage(c.component, c.type));
        ASSERT_TRUE(browser.Navigate(path));
        QTextDocument reference;
        reference.setDefaultFont(browser.font());
        reference.setHtml(QString::fromStdString(ReadFile(path)));
        QTextDocument* shown = browser.document();
        EXPECT_EQ(shown->toPlainText(), reference.toPlainText());
        for (QTextDocument* document : {shown, &reference})
            document->setTextWidth(browser.viewport()->width());
        const qreal height = reference.size().height();
        EXPECT_NEAR(shown->size().height(), height, height * 0.03 + 4);
        EXPECT_GE(shown->blockCount(), reference.blockCount());
    }
    // The pages shown before are gone once the events after showing are handled.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(browser.findChildren<QTextDocument*>(Qt::FindDirectChildrenOnly).size(), 1);
}

}  // namespace
}  // namespace vantrel::testing
