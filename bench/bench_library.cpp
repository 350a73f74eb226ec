// Google Benchmark runs of the reader and the report on the largest real libraries and a
// fixture: open; open and list the types; open and walk every type's whole member view;
// every type's page on an opened library; the library as JSON; a library compared with itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bench/Walk.h"
#include "report/json/LibraryDiff.h"
#include "report/json/LibraryJson.h"
#include "typelib/TypeLibrary.h"
#include "typelib/file/MemoryReuse.h"

namespace {

using vantrel::TypeLibrary;
using vantrel::TypeLibraryLoader;

// One loader for the whole run, as the window keeps one: types that a library imports
// (stdole2's) are found in the first round and looked up in the later ones, as the
// platform's reader keeps its own registry and cache across rounds.
TypeLibraryLoader& sharedLoader() {
    static TypeLibraryLoader loader;
    return loader;
}

TypeLibrary openOrDie(const std::string& path, TypeLibraryLoader& loader = sharedLoader()) {
    auto library = loader.OpenFromFile(path);
    if (!library) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), library.error().description.c_str());
        std::exit(1);
    }
    return std::move(library).value();
}

void open(benchmark::State& state, const std::string& path) {
    for (auto _ : state) benchmark::DoNotOptimize(openOrDie(path));
}

void openAndList(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        const TypeLibrary library = openOrDie(path);
        benchmark::DoNotOptimize(vantrel::bench::listTypes(library));
    }
}

void openAndWalk(benchmark::State& state, const std::string& path) {
    vantrel::bench::WalkCounts counts;
    for (auto _ : state) {
        const TypeLibrary library = openOrDie(path);
        counts = vantrel::bench::walkAllMembers(library).value();
        benchmark::DoNotOptimize(counts);
    }
    state.counters["types"] = static_cast<double>(counts.types);
    state.counters["members"] = static_cast<double>(counts.members);
    state.counters["typeNames"] = static_cast<double>(counts.typeNames);
    state.counters["stored"] = static_cast<double>(counts.stored);
}

// The same with a new loader each round: the first open of a session, which also
// searches the library's folder for the libraries it imports.
void openAndWalkNewLoader(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        TypeLibraryLoader loader;
        const TypeLibrary library = openOrDie(path, loader);
        benchmark::DoNotOptimize(vantrel::bench::walkAllMembers(library).value());
    }
}

// The library is opened once; each round starts with no member view built, as the first
// click through all the types does, and builds every view on the way.
void allPages(benchmark::State& state, const std::string& path) {
    const TypeLibrary opened = openOrDie(path);
    size_t bytes = 0;
    for (auto _ : state) {
        const TypeLibrary fresh(opened.loaded());
        bytes = vantrel::bench::buildAllPages(fresh).value();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["pageBytes"] = static_cast<double>(bytes);
}

// The whole library as JSON (vantrel-report --json) on an opened library, member views
// built afresh each round.
void wholeJson(benchmark::State& state, const std::string& path) {
    const TypeLibrary opened = openOrDie(path);
    size_t bytes = 0;
    for (auto _ : state) {
        const TypeLibrary fresh(opened.loaded());
        bytes = vantrel::json::LibraryJsonText(fresh).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["jsonBytes"] = static_cast<double>(bytes);
}

// A library compared with itself: every type, member and parameter paired and compared.
void diffWithItself(benchmark::State& state, const std::string& path) {
    const TypeLibrary opened = openOrDie(path);
    for (auto _ : state) benchmark::DoNotOptimize(vantrel::json::DiffLibraries(opened, opened));
}

void registerAll() {
    for (const vantrel::bench::BenchFile& file : vantrel::bench::benchFiles()) {
        benchmark::RegisterBenchmark(("open/" + file.label).c_str(), open, file.path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("open_list/" + file.label).c_str(), openAndList, file.path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("open_walk/" + file.label).c_str(), openAndWalk, file.path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("open_walk_new_loader/" + file.label).c_str(),
                                     openAndWalkNewLoader, file.path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("all_pages/" + file.label).c_str(), allPages, file.path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("json/" + file.label).c_str(), wholeJson, file.path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("diff_self/" + file.label).c_str(), diffWithItself, file.path)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // As the programs do: the benchmarks time the library as they use it.
    vantrel::keepFreedMemoryForReuse();
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
