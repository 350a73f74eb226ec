#include "app/frmMain.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QMimeData>
#include <QScreen>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/CachedReport.h"
#include "app/CaptionButton.h"
#include "app/DesignedGeometry.h"
#include "app/Folders.h"
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

// Room for the window frame and title bar at 96 dots per inch, before the window manager
// has framed the window and says how much it takes.
constexpr QSize FrameAllowance{16, 40};

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
    // No maximise button: the window never grows beyond its design.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    InitResources();
    setWindowIcon(WindowIcon());
    createControls(std::move(browser));
    FitToScreen();
    wire();
    setAcceptDrops(true);
    Command1->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::createControls(std::unique_ptr<WebBrowser> browser) {
    Command1 = MakeButton("Browse", this);
    List1 = new QListWidget(this);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line each: the list lays out thousands of names without measuring each one.
    List1->setUniformItemSizes(true);
    Text1 = new QLineEdit(this);
    WebBrowser1 = browser ? browser.release() : new WebBrowser;
    WebBrowser1->setParent(this);
    // A file dropped anywhere on the window goes to the window.
    Text1->setAcceptDrops(false);
    WebBrowser1->setAcceptDrops(false);
    Command2 = MakeButton("Launch in Browser", this);
    Command3 = MakeButton("Delete cached HTML Files", this);

    setTabOrder(Command1, List1);
    setTabOrder(List1, Text1);
    setTabOrder(Text1, WebBrowser1);
    setTabOrder(WebBrowser1, Command2);
    setTabOrder(Command2, Command3);
}

// Fixed positions and sizes, scaled to the screen's dpi and, where the designed window
// does not fit the screen, shrunk by one factor: a resize moves nothing, and the window is
// never larger than designed.
void frmMain::FitToScreen() {
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    const QSize client(TwipsToPixels(ClientWidthTwips, dpiX), TwipsToPixels(ClientHeightTwips, dpiY));
    const QSize frame = isVisible() && frameGeometry().size() != size()
                            ? frameGeometry().size() - size()
                            : FrameAllowance * (dpiY / 96.0);
    const QScreen* where = screen();
    layoutFactor_ = where ? FitFactor(client, frame, where->availableGeometry().size()) : 1.0;
    const auto place = [&](QWidget* control, TwipRect rect) {
        control->setGeometry(TwipsToPixels(rect, dpiX, dpiY, layoutFactor_));
    };
    place(Command1, Command1Rect);
    place(List1, List1Rect);
    place(Text1, Text1Rect);
    place(WebBrowser1, WebBrowser1Rect);
    place(Command2, Command2Rect);
    place(Command3, Command3Rect);
    const QSize designed(TwipsToPixels(ClientWidthTwips, dpiX, layoutFactor_),
                         TwipsToPixels(ClientHeightTwips, dpiY, layoutFactor_));
    setMaximumSize(designed);
    resize(designed);
}

void frmMain::wire() {
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(List1, &QListWidget::itemSelectionChanged, this, &frmMain::List1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);
}

void frmMain::Form_Load() {
    const std::string startPage = StartPagePath(platform_.programFolder(), platform_.dataFolder);
    if (auto shown = WebBrowser1->Navigate(startPage); !shown)
        platform_.messageBox->ShowCritical(StartPageFailed + shown.error().description);
}

// Browse: pick a component, open its type library, list its types.
void frmMain::Command1_Click() {
    if (auto opened = OpenComponent(); !opened)
        platform_.messageBox->ShowCritical(BrowseFailed + opened.error().description);
}

// A cancelled dialog leaves everything as it was.
Expected<void> frmMain::OpenComponent() {
    CommonDialog1.SetFilter(ComponentFilter);
    if (!CommonDialog1.ShowOpen()) return {};
    return OpenConfirmed();
}

void frmMain::OpenFile(const std::string& path) {
    CommonDialog1.SetFileName(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
    if (auto opened = OpenConfirmed(); !opened)
        platform_.messageBox->ShowCritical(BrowseFailed + opened.error().description);
}

// Opens the dialog's file and lists its types.
Expected<void> frmMain::OpenConfirmed() {
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
    for (int16_t i = 1; i <= count; ++i) names.emplace_back(VANTREL_TRY(types.Item(i)).Name());
    return names;
}

// The list keeps its entries in alphabetical order, ignoring case.
void frmMain::FillListBox(const std::vector<std::string>& names, QListWidget& list) {
    const QStringList entries = SortedIgnoringCase(names);
    const QSignalBlocker quiet(list);
    list.clear();
    list.addItems(entries);
    list.setCurrentRow(-1);
    list.scrollToTop();
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
    const std::string folder = ReportFolder();
    strCurrentPage = folder + "/" + ReportFileName(strDLLName, strTypeName);
    VANTREL_CHECK(EnsureFolder(folder));
    TextStream stream = VANTREL_TRY(
        FileSystem().OpenTextFile(strCurrentPage, iomode::ForWriting, true, tristate::False));
    VANTREL_CHECK(stream.Write(page));
    return stream.Close();
}

Expected<void> frmMain::ShowReport(const std::string& path) { return WebBrowser1->Navigate(path); }

// Launch in Browser: the last report, or the program folder before the first one.
void frmMain::Command2_Click() {
    if (strCurrentPage.empty()) strCurrentPage = ReportFolder();
    auto launched = EnsureFolder(ReportFolder());
    if (launched) launched = platform_.shell->LaunchFile(strCurrentPage);
    if (!launched) platform_.messageBox->ShowCritical(LaunchFailed + launched.error().description);
}

void frmMain::Command3_Click() { DeleteCachedFiles(); }

// Removes the report pages in the report folder, sparing the start page and every other
// file; failures are passed over in silence.
void frmMain::DeleteCachedFiles() {
    auto folder = FileSystem().GetFolder(ReportFolder());
    if (!folder) return;
    auto files = folder->Files();
    if (!files) return;
    for (const File& file : *files) {
        if (!IsCachedReport(file)) continue;
        (void)file.Delete(false);
    }
}

std::string frmMain::ReportFolder() const {
    const std::string programFolder = platform_.programFolder();
    return vantrel::ReportFolder(programFolder,
                                 platform_.cacheFolder ? platform_.cacheFolder() : programFolder,
                                 platform_.installedProgramFolder);
}

namespace {
// The first local file among the dragged URLs, empty when there is none.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}
}  // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop has ended, so that a message box does not hold up the drag's source.
    QMetaObject::invokeMethod(
        this, [this, path = file.toStdString()] { OpenFile(path); }, Qt::QueuedConnection);
}

FileSystemObject& frmMain::FileSystem() {
    if (!fileSystem_) fileSystem_.emplace();
    return *fileSystem_;
}

}  // namespace vantrel
