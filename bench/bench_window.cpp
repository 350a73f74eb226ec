// The real window, timed from a user's action until the changed control is laid out and
// painted: opening the largest libraries until the type list is painted, selecting their
// largest type until its page is painted, and the Down key walking the list. Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise, e.g. under Xvfb:
//   xvfb-run -s "-screen 0 1920x1200x24" env QT_QPA_PLATFORM=xcb build/ci/bench/vantrel-bench-window
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include <QApplication>
#include <QListWidget>
#include <QTest>

#include "app/frmMain.h"
#include "bench/Walk.h"
#include "report/MemberReport.h"
#include "typelib/file/MemoryReuse.h"

namespace {

using namespace vantrel;

class NoDialog final : public FilePicker {
public:
    std::optional<std::string> PickFile(const QStringList&, const std::string&) override {
        return std::nullopt;
    }
};

// A failure would spoil every figure: say so and stop.
class FailingMessageBox final : public MessageBox {
public:
    void ShowCritical(const std::string& text) override {
        std::fprintf(stderr, "vantrel-bench-window: %s\n", text.c_str());
        std::exit(1);
    }
};

const std::string& ReportFolder() {
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() /
                          ("vantrel-bench-window-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ReportFolder(), ignored);
        });
        return path.string();
    }();
    return folder;
}

// One shown window for the whole run, as a user has one.
frmMain& Window() {
    static frmMain* window = [] {
        Platform platform;
        platform.filePicker = std::make_unique<NoDialog>();
        platform.messageBox = std::make_unique<FailingMessageBox>();
        platform.shell = std::make_unique<Module1>();
        platform.programFolder = [] { return ReportFolder(); };
        auto* shown = new frmMain(std::move(platform));
        shown->show();
        QApplication::processEvents();
        return shown;
    }();
    return *window;
}

// What the screen shows after the action: the events the action posted handled, then the
// control laid out and painted. Timers are left alone: the text control lays out the part of
// a long page below the fold on a timer, after the page shows.
void Paint(QWidget* control) {
    QApplication::sendPostedEvents();
    benchmark::DoNotOptimize(control->grab());
}

// Work left for later (the rest of a long page's layout) is done outside the timing.
void Settle() { QApplication::processEvents(); }

// The type with the longest page, found once per library.
const std::string& LargestType(const std::string& path) {
    static std::map<std::string, std::string> largest;
    auto& name = largest[path];
    if (!name.empty()) return name;
    TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(path);
    if (!library) std::exit(1);
    size_t longest = 0;
    const Collection<TypeEntry> types = library->Types();
    for (const TypeEntry& type : types.items()) {
        auto page = GetProperties(*library, path, std::string(type.Name()), path);
        if (page && page->size() > longest) {
            longest = page->size();
            name = type.Name();
        }
    }
    return name;
}

QListWidgetItem* Entry(const std::string& name) {
    const auto items = Window().typeList()->findItems(QString::fromStdString(name), Qt::MatchExactly);
    if (items.isEmpty()) std::exit(1);
    return items.first();
}

void OpenToListPainted(benchmark::State& state, const std::string& path) {
    frmMain& window = Window();
    for (auto _ : state) {
        window.OpenFile(path);
        Paint(window.typeList());
        state.PauseTiming();
        Settle();
        state.ResumeTiming();
    }
    state.counters["types"] = window.typeList()->count();
}

// From another type's page to the largest type's, as a click does: on an entry in view.
void SelectToPagePainted(benchmark::State& state, const std::string& path) {
    frmMain& window = Window();
    window.OpenFile(path);
    QListWidgetItem* largest = Entry(LargestType(path));
    QListWidgetItem* other = window.typeList()->item(0) == largest ? window.typeList()->item(1)
                                                                     : window.typeList()->item(0);
    for (auto _ : state) {
        state.PauseTiming();
        window.typeList()->setCurrentItem(other);
        window.typeList()->scrollToItem(largest);
        Paint(window.browser());
        Settle();
        state.ResumeTiming();
        window.typeList()->setCurrentItem(largest);
        Paint(window.browser());
    }
    state.SetLabel(LargestType(path));
}

// The Down key from one type to the next, through the whole list.
void ArrowKeyToPagePainted(benchmark::State& state, const std::string& path) {
    frmMain& window = Window();
    window.OpenFile(path);
    QListWidget* list = window.typeList();
    list->setFocus();
    list->setCurrentRow(0);
    for (auto _ : state) {
        state.PauseTiming();
        if (list->currentRow() + 1 == list->count()) list->setCurrentRow(0);
        Settle();
        state.ResumeTiming();
        QTest::keyClick(list, Qt::Key_Down);
        Paint(window.browser());
    }
}

void RegisterAll() {
    for (const bench::BenchFile& file : bench::benchFiles()) {
        if (!std::filesystem::exists(file.path) || file.label == "Fixture.tlb") continue;
        benchmark::RegisterBenchmark(("OpenToListPainted/" + file.label).c_str(), OpenToListPainted,
                                     file.path)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("SelectToPagePainted/" + file.label).c_str(),
                                     SelectToPagePainted, file.path)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ArrowKeyToPagePainted/" + file.label).c_str(),
                                     ArrowKeyToPagePainted, file.path)->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::keepFreedMemoryForReuse();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
