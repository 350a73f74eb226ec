// Renders the whole window, as it comes up on a screen of a given size and scale, to a PNG
// file for a person to look at: the sample component opened and one of its types shown.
//   vantrel-window-shot WIDTHxHEIGHT SCALE OUT.png [COMPONENT TYPE]
// WIDTHxHEIGHT is the screen in device pixels; SCALE its device pixel ratio (1, 1.5, 2).
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QListWidget>
#include <QScreen>

#include "app/frmMain.h"

namespace {

using namespace vantrel;

class NoDialog final : public FilePicker {
public:
    std::optional<std::string> PickFile(const QStringList&, const std::string&) override {
        return std::nullopt;
    }
};

class PrintedMessageBox final : public MessageBox {
public:
    void ShowCritical(const std::string& text) override {
        std::fprintf(stderr, "message box: %s\n", text.c_str());
    }
};

// One offscreen screen of the size and scale asked for. The offscreen platform takes the
// screen's size in device-independent pixels.
std::string ScreenConfig(int width, int height, double scale) {
    const std::string path = std::filesystem::temp_directory_path() /
                             ("vantrel-shot-" + std::to_string(::getpid()) + ".json");
    std::ofstream(path) << "{\"screens\": [{\"name\": \"shot\", \"x\": 0, \"y\": 0, \"width\": "
                        << std::lround(width / scale) << ", \"height\": " << std::lround(height / scale)
                        << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": " << scale
                        << "}]}";
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    int width = 0, height = 0;
    if (argc < 4 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fputs("usage: vantrel-window-shot WIDTHxHEIGHT SCALE OUT.png [COMPONENT TYPE]\n", stderr);
        return 2;
    }
    const double scale = std::atof(argv[2]);
    const std::string config = ScreenConfig(width, height, scale);
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
    QApplication application(argc, argv);
    std::filesystem::remove(config);

    const std::string component = argc > 5 ? argv[4] : VANTREL_SAMPLE_COMPONENT;
    const std::string type = argc > 5 ? argv[5] : "ISampleControl";
    const std::string folder = std::filesystem::temp_directory_path() /
                               ("vantrel-shot-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(VANTREL_START_PAGE, folder + "/default.html");

    Platform platform;
    platform.filePicker = std::make_unique<NoDialog>();
    platform.messageBox = std::make_unique<PrintedMessageBox>();
    platform.shell = std::make_unique<Module1>();
    platform.programFolder = [folder] { return folder; };
    int status = 0;
    {
        frmMain window(std::move(platform));
        window.Form_Load();
        window.show();
        window.OpenFile(component);
        const auto items = window.typeList()->findItems(QString::fromStdString(type), Qt::MatchExactly);
        if (!items.isEmpty()) window.typeList()->setCurrentItem(items.first());
        QApplication::processEvents();
        const QPixmap shot = window.grab();
        if (!shot.save(QString::fromLocal8Bit(argv[3]))) status = 1;
        const QRect available = window.screen()->availableGeometry();
        std::printf("%s: window %dx%d (layout factor %.3f), image %dx%d, screen %dx%d at %gx "
                    "(%dx%d available)\n",
                    argv[3], window.width(), window.height(), window.LayoutFactor(),
                    shot.toImage().width(), shot.toImage().height(), width, height, scale,
                    available.width(), available.height());
    }
    std::filesystem::remove_all(folder);
    return status;
}
