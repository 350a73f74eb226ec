// Shared pieces of the window tests: an offscreen QApplication, scripted stand-ins for
// the dialog, message box and shell, and a temporary program folder.
#pragma once

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>

#include "app/frmMain.h"

namespace vantrel::testing {

inline const std::string FixturesDir = VANTREL_FIXTURES_DIR;
inline const std::string AppDataDir = VANTREL_APP_TEST_DATA_DIR;

inline std::string Fixture(const std::string& name) { return FixturesDir + "/" + name; }

// One QApplication for the whole test program, on the offscreen platform with two screens:
// a large one, where the designed window fits, and a 1024x768 one where it doesn't.
inline void EnsureApplication() {
    if (QApplication::instance()) return;
    const std::string config = std::filesystem::temp_directory_path() /
                               ("vantrel-screens-" + std::to_string(::getpid()) + ".json");
    std::ofstream(config)
        << R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 1920, "height": 1200,)"
           R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},)"
           R"({"name": "small", "x": 1920, "y": 0, "width": 1024, "height": 768,)"
           R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
    static int argc = 1;
    static char name[] = "vantrel_app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the process ends
}

// Answers the open-file dialog from a script: a path confirms, nullopt cancels.
class ScriptedPicker final : public FilePicker {
public:
    std::deque<std::optional<std::string>> answers;
    std::vector<QStringList> filtersSeen;
    std::vector<std::string> startsSeen;
    std::optional<std::string> PickFile(const QStringList& nameFilters,
                                        const std::string& startFile) override {
        filtersSeen.push_back(nameFilters);
        startsSeen.push_back(startFile);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class RecordingMessageBox final : public MessageBox {
public:
    std::vector<std::string> shown;
    void ShowCritical(const std::string& text) override { shown.push_back(text); }
};

class RecordingShell final : public Module1 {
public:
    std::vector<std::string> launched;
    bool launcherMissing = false;
    Expected<void> LaunchFile(const std::string& path) override {
        if (launcherMissing) return makeError(53, "The desktop's launcher could not be started.");
        launched.push_back(path);
        return {};
    }
};

class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("vantrel-app-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The real window with scripted layers around a temporary program folder.
struct WindowUnderTest {
    TempFolder programFolder;
    TempFolder home;  // holds the cache folder, which the window creates when it needs it
    TempFolder data;  // the installed data folder, with a start page of its own
    ScriptedPicker* picker = nullptr;
    RecordingMessageBox* messages = nullptr;
    RecordingShell* shell = nullptr;
    std::unique_ptr<frmMain> window;

    // `installedHere`: the program folder is the installed programs' folder.
    explicit WindowUnderTest(std::unique_ptr<WebBrowser> browser = nullptr,
                             bool installedHere = false) {
        EnsureApplication();
        Platform platform;
        auto scriptedPicker = std::make_unique<ScriptedPicker>();
        auto messageBox = std::make_unique<RecordingMessageBox>();
        auto recordingShell = std::make_unique<RecordingShell>();
        picker = scriptedPicker.get();
        messages = messageBox.get();
        shell = recordingShell.get();
        platform.filePicker = std::move(scriptedPicker);
        platform.messageBox = std::move(messageBox);
        platform.shell = std::move(recordingShell);
        platform.programFolder = [folder = programFolder.path()] { return folder; };
        platform.cacheFolder = [this] { return cacheFolder(); };
        platform.dataFolder = data.path();
        if (installedHere) platform.installedProgramFolder = programFolder.path();
        WriteFile(data.file("default.html"), "<html><body>Installed</body></html>");
        WriteFile(programFolder.file("default.html"), "<html><body>Start</body></html>");
        window = std::make_unique<frmMain>(std::move(platform), std::move(browser));
    }

    std::string cacheFolder() const { return home.file("cache/vantrel"); }

    // Presses Browse with the dialog answering `answer`.
    void Browse(std::optional<std::string> answer) {
        picker->answers.push_back(std::move(answer));
        window->browseButton()->click();
    }
    std::vector<std::string> ListEntries() const {
        std::vector<std::string> entries;
        for (int i = 0; i < window->typeList()->count(); ++i)
            entries.push_back(window->typeList()->item(i)->text().toStdString());
        return entries;
    }
    // Selects the entry with this text, as a click on it does.
    void Select(const std::string& typeName) {
        const auto items =
            window->typeList()->findItems(QString::fromStdString(typeName), Qt::MatchExactly);
        ASSERT_FALSE(items.isEmpty()) << typeName;
        window->typeList()->setCurrentItem(items.first());
    }
    std::string ReportPath(const std::string& component, const std::string& type) const {
        return programFolder.file(component + "_" + type + ".html");
    }
};

}  // namespace vantrel::testing
