#include "app/frmMain.h"

#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/CachedReport.h"
#include "app/CaptionButton.h"
#include "app/TypeListOrder.h"
#include "report/MemberReport.h"
#include "report/ReportFileName.h"
#include "typelib/imports/ImportPath.h"

// Resources of a static library are registered by hand.
static void InitResources() { Q_INIT_RESOURCE(vantrel); }

namespace vantrel {

namespace {

constexpr const char* ComponentFilter =
    "COM Components (*.dll;*.ocx)|*.dll;*.ocx|All Files (*.*)|*.*";
constexpr const char* BrowseFailed = "The requested operation failed. Reason: \r\n";
constexpr const char* ReportFailed = "The report could not be shown. Reason: \r\n";
constexpr const char* StartPageFailed = "The start page could not be shown. Reason: \r\n";
constexpr const char* LaunchFailed = "The following error occurred: \r\n";

// Designed lengths in twips: 15 twips make one pixel at 96 dots per inch.
struct TwipRect {
    int left, top, width, height;
};
constexpr TwipRect Command1Rect{8760, 720, 1215, 615};
constexpr TwipRect List1Rect{240, 1920, 5175, 10590};
constexpr TwipRect Text1Rect{240, 720, 8295, 615};
constexpr TwipRect WebBrowser1Rect{5760, 1920, 10935, 10815};
constexpr TwipRect Command2Rect{10200, 720, 1215, 615};
constexpr TwipRect Command3Rect{14640, 720, 1215, 615};
constexpr int ClientWidthTwips = 16995;
constexpr int ClientHeightTwips = 13365;

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>((static_cast<long long>(twips) * dpi + 720) / 1440);
}

QPushButton* MakeButton(const char* caption, QWidget* parent) {
    return new CaptionButton(QString::fromUtf8(caption), parent);
}

QIcon WindowIcon() {
    QIcon icon;
    for (int size : {16, 20, 24})
        icon.addFile(QStringLiteral(":/vantrel/icons/vantrel-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

frmMain::frmMain(Platform platform, std::unique_ptr<WebBrowser> browser, QWidget* parent)
    : QWidget(parent), platform_(std::move(platform)), CommonDialog1(*platform_.filePicker) {
    setWindowTitle(QStringLiteral("Vantrel"));
    InitResources();
    setWindowIcon(WindowIcon());
    createControls(std::move(browser));
    placeControls();
    wire();
    Command1->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::createControls(std::unique_ptr<WebBrowser> browser) {
    Command1 = MakeButton("Browse", this);
    List1 = new QListWidget(this);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    Text1 = new QLineEdit(this);
    WebBrowser1 = browser ? browser.release() : new WebBrowser;
    WebBrowser1->setParent(this);
    Command2 = MakeButton("Launch in Browser", this);
    Command3 = MakeButton("Delete cached HTML Files", this);

    setTabOrder(Command1, List1);
    setTabOrder(List1, Text1);
    setTabOrder(Text1, WebBrowser1);
    setTabOrder(WebBrowser1, Command2);
    setTabOrder(Command2, Command3);
}

// Fixed positions and sizes, scaled to the screen: a resize moves nothing.
void frmMain::placeControls() {
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    const auto place = [&](QWidget* control, TwipRect rect) {
        control->setGeometry(TwipsToPixels(rect.left, dpiX), TwipsToPixels(rect.top, dpiY),
                             TwipsToPixels(rect.width, dpiX), TwipsToPixels(rect.height, dpiY));
    };
    place(Command1, Command1Rect);
    place(List1, List1Rect);
    place(Text1, Text1Rect);
    place(WebBrowser1, WebBrowser1Rect);
    place(Command2, Command2Rect);
    place(Command3, Command3Rect);
    resize(TwipsToPixels(ClientWidthTwips, dpiX), TwipsToPixels(ClientHeightTwips, dpiY));
}

void frmMain::wire() {
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(List1, &QListWidget::itemSelectionChanged, this, &frmMain::List1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);
}

void frmMain::Form_Load() {
    const std::string startPage = platform_.programFolder() + "/default.html";
    if (auto shown = WebBrowser1->Navigate(startPage); !shown)
        platform_.messageBox->ShowCritical(StartPageFailed + shown.error().description);
}

// Browse: pick a component, open its type library, list its types.
void frmMain::Command1_Click() {
    if (auto opened = OpenComponent(); !opened)
        platform_.messageBox->ShowCritical(BrowseFailed + opened.error().description);
}

Expected<void> frmMain::OpenComponent() {
    CommonDialog1.SetFilter(ComponentFilter);
    CommonDialog1.ShowOpen();
    strCurrentDLL = CommonDialog1.FileName();
    if (strCurrentDLL.empty()) return {};
    if (!loader_) {
        loader_.emplace();
        loader_->SetImportPath(importPathFromEnvironment());
    }
    auto opened = loader_->OpenFromFile(strCurrentDLL);
    if (!opened) {
        // The list and the open library stay the previous component's: so does its path,
        // so that a report names the file it was read from.
        strCurrentDLL = library_ ? library_->path() : std::string();
        return opened.error();
    }
    library_ = std::move(opened).value();
    const std::vector<std::string> names = VANTREL_TRY(GetTypeNames());
    FillListBox(names, *List1);
    return {};
}

Expected<std::vector<std::string>> frmMain::GetTypeNames() const {
    const Collection<TypeEntry> types = library_->Types();
    const int16_t count = VANTREL_TRY(types.Count());
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(count));
    for (int16_t i = 1; i <= count; ++i) names.push_back(VANTREL_TRY(types.Item(i)).Name());
    return names;
}

// The list keeps its entries in alphabetical order, ignoring case.
void frmMain::FillListBox(const std::vector<std::string>& names, QListWidget& list) {
    const QStringList entries = SortedIgnoringCase(names);
    const QSignalBlocker quiet(list);
    list.clear();
    list.addItems(entries);
    list.setCurrentRow(-1);
}

void frmMain::List1_Click() {
    if (List1->currentRow() < 0 || List1->selectedItems().isEmpty()) return;
    if (auto shown = ShowSelectedType(); !shown)
        platform_.messageBox->ShowCritical(ReportFailed + shown.error().description);
}

Expected<void> frmMain::ShowSelectedType() {
    if (!library_) return makeError(errc::InvalidArgument, "No type library is open.");
    const std::string strTypeName = List1->currentItem()->text().toStdString();
    const std::string page =
        VANTREL_TRY(GetProperties(*library_, strCurrentDLL, strTypeName, strCurrentDLL));
    VANTREL_CHECK(SaveReport(strCurrentDLL, page, strTypeName));
    return ShowReport(strCurrentPage);
}

Expected<void> frmMain::SaveReport(const std::string& strDLLName, const std::string& page,
                                   const std::string& strTypeName) {
    strCurrentPage = platform_.programFolder() + "/" + ReportFileName(strDLLName, strTypeName);
    TextStream stream = VANTREL_TRY(
        FileSystem().OpenTextFile(strCurrentPage, iomode::ForWriting, true, tristate::False));
    VANTREL_CHECK(stream.Write(page));
    return stream.Close();
}

Expected<void> frmMain::ShowReport(const std::string& path) { return WebBrowser1->Navigate(path); }

// Launch in Browser: the last report, or the program folder before the first one.
void frmMain::Command2_Click() {
    if (strCurrentPage.empty()) strCurrentPage = platform_.programFolder();
    if (auto launched = platform_.shell->LaunchFile(strCurrentPage); !launched)
        platform_.messageBox->ShowCritical(LaunchFailed + launched.error().description);
}

void frmMain::Command3_Click() { DeleteCachedFiles(); }

// Removes the report pages in the program folder, sparing the start page and every
// other file; failures are passed over in silence.
void frmMain::DeleteCachedFiles() {
    auto folder = FileSystem().GetFolder(platform_.programFolder());
    if (!folder) return;
    auto files = folder->Files();
    if (!files) return;
    for (const File& file : *files) {
        if (!IsCachedReport(file)) continue;
        (void)file.Delete(false);
    }
}

FileSystemObject& frmMain::FileSystem() {
    if (!fileSystem_) fileSystem_.emplace();
    return *fileSystem_;
}

}  // namespace vantrel
