// Vantrel: lists the types of a COM component's type library and shows their members.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QStringList>

#include "app/Display.h"
#include "app/frmMain.h"
#include "typelib/file/MemoryReuse.h"

namespace {

constexpr const char* Usage =
    "Usage: vantrel [FILE]\n"
    "Lists the types of a COM component's type library and shows the members of the type\n"
    "selected.\n"
    "\n"
    "  FILE       a component (.dll, .ocx) or type library to open at start\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Without a display, the command-line tool vantrel-report reads type libraries.\n";

// --help and --version answer without a display, before Qt starts.
bool AnswersAlone(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("vantrel " VANTREL_VERSION);
            return true;
        }
    }
    return false;
}

// The file to open at start (empty for none) from the arguments Qt left; false for
// arguments that make no sense.
bool FileToOpen(const QStringList& arguments, QString& file) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(u'-') || !file.isEmpty()) {
            std::fprintf(stderr, "vantrel: unexpected argument \"%s\"; see vantrel --help\n",
                         argument.toLocal8Bit().constData());
            return false;
        }
        file = argument;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    vantrel::keepFreedMemoryForReuse();
    if (AnswersAlone(argc, argv)) return 0;
    if (const std::string problem = vantrel::DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    // Lets the desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));
    QString file;
    if (!FileToOpen(QApplication::arguments(), file)) return 2;

    vantrel::Platform platform = vantrel::MakeDesktopPlatform();
    auto* picker = static_cast<vantrel::QtFilePicker*>(platform.filePicker.get());
    auto* messageBox = static_cast<vantrel::QtMessageBox*>(platform.messageBox.get());
    vantrel::frmMain window(std::move(platform));
    picker->setParent(&window);
    messageBox->setParent(&window);

    window.Form_Load();
    window.show();
    if (!file.isEmpty()) window.OpenFile(file.toStdString());
    return QApplication::exec();
}
