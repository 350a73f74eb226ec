// Vantrel: lists the types of a COM component's type library and shows their members.
#include <cstdio>

#include <QApplication>

#include "app/Display.h"
#include "app/frmMain.h"

int main(int argc, char* argv[]) {
    if (!vantrel::DisplayAvailable()) {
        std::fputs("vantrel: no display found; use the command-line tool vantrel-report to read "
                   "type libraries without one\n",
                   stderr);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    // Lets the desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));

    vantrel::Platform platform = vantrel::MakeDesktopPlatform();
    auto* picker = static_cast<vantrel::QtFilePicker*>(platform.filePicker.get());
    auto* messageBox = static_cast<vantrel::QtMessageBox*>(platform.messageBox.get());
    vantrel::frmMain window(std::move(platform));
    picker->setParent(&window);
    messageBox->setParent(&window);

    window.Form_Load();
    window.show();
    return QApplication::exec();
}
