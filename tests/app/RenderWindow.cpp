// Renders the window to a PNG file after opening a fixture and selecting a type, for a
// person to look at: <build>/tests/app/window.png.
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

}  // namespace
}  // namespace vantrel::testing
