// Renders the window to a PNG file after opening a fixture and selecting a type, for a
// person to look at: <build>/tests/app/window.png, and the window at start with our start
// page: start.png.
#include <filesystem>

#include <gtest/gtest.h>

#include "AppTestSupport.h"

namespace vantrel::testing {
namespace {

TEST(RenderWindow, WindowWithAReportToPng) {
    WindowUnderTest ui;
    ui.window->Form_Load();
    ui.Browse(Fixture("Control32.dll"));
    ui.Select("ISampleControl");
    ui.window->show();
    QApplication::processEvents();
    const QString file = QStringLiteral(VANTREL_APP_RENDER_DIR "/window.png");
    ASSERT_TRUE(ui.window->grab().save(file)) << file.toStdString();
    const QIcon icon = ui.window->windowIcon();
    for (int size : {16, 20, 24})
        ASSERT_TRUE(icon.pixmap(size, size).scaled(96, 96).save(
            QStringLiteral(VANTREL_APP_RENDER_DIR "/icon-%1.png").arg(size)));
}

TEST(RenderWindow, StartPageToPng) {
    WindowUnderTest ui;
    std::filesystem::copy_file(VANTREL_START_PAGE, ui.programFolder.file("default.html"),
                               std::filesystem::copy_options::overwrite_existing);
    ui.window->Form_Load();
    ui.window->show();
    QApplication::processEvents();
    EXPECT_TRUE(ui.window->browser()->toPlainText().contains("VantrelSample.dll"));
    ASSERT_TRUE(ui.window->grab().save(QStringLiteral(VANTREL_APP_RENDER_DIR "/start.png")));
}

}  // namespace
}  // namespace vantrel::testing
