// The program's one window: the type list, the browser control, the Browse, Launch in
// Browser and Delete cached HTML Files buttons, and the state the four commands share.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "app/CommonDialog.h"
#include "app/FileSystemObject.h"
#include "app/Platform.h"
#include "app/WebBrowser.h"
#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace vantrel {

class frmMain : public QWidget {
    Q_OBJECT
public:
    // `browser`, when given, takes the place of the real browser control (tests).
    explicit frmMain(Platform platform, std::unique_ptr<WebBrowser> browser = nullptr,
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // Shows the start page; run once before the window is first shown.
    void Form_Load();

    // Opens `path` as Browse opens a file confirmed in the dialog (the command line, a drop).
    void OpenFile(const std::string& path);

    // Lays the controls out for the window's screen, shrunk to fit where it is too small.
    void FitToScreen();
    // The factor the designed geometry was shrunk by: 1 where the window fits.
    double LayoutFactor() const { return layoutFactor_; }
    // The folder that report pages are written to and deleted from.
    std::string ReportFolder() const;

    // The four commands, as the buttons and the list run them.
    void Command1_Click();
    void List1_Click();
    void Command2_Click();
    void Command3_Click();

    // For tests and tools.
    const std::string& CurrentDLL() const { return strCurrentDLL; }
    const std::string& CurrentPage() const { return strCurrentPage; }
    QPushButton* browseButton() const { return Command1; }
    QListWidget* typeList() const { return List1; }
    QLineEdit* textBox() const { return Text1; }
    WebBrowser* browser() const { return WebBrowser1; }
    QPushButton* launchButton() const { return Command2; }
    QPushButton* deleteButton() const { return Command3; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls(std::unique_ptr<WebBrowser> browser);
    void wire();

    Expected<void> OpenComponent();
    Expected<void> OpenConfirmed();
    Expected<std::vector<std::string>> GetTypeNames() const;
    void FillListBox(const std::vector<std::string>& names, QListWidget& list);
    Expected<void> ShowSelectedType();
    Expected<void> SaveReport(const std::string& strDLLName, const std::string& page,
                              const std::string& strTypeName);
    Expected<void> ShowReport(const std::string& path);
    void DeleteCachedFiles();
    FileSystemObject& FileSystem();

    Platform platform_;
    CommonDialog CommonDialog1;
    QPushButton* Command1 = nullptr;
    QListWidget* List1 = nullptr;
    QLineEdit* Text1 = nullptr;
    WebBrowser* WebBrowser1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

    std::optional<TypeLibraryLoader> loader_;
    std::optional<TypeLibrary> library_;
    std::string strCurrentDLL;
    std::optional<FileSystemObject> fileSystem_;
    std::string strCurrentPage;
    double layoutFactor_ = 1.0;
};

}  // namespace vantrel
