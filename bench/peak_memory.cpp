// Peak memory of opening one library, listing and walking it, measured in a process of its own:
// the high-water mark of the resident set after each step, less the baseline, against
// the file's size. The baseline is the mark after the same steps on two tiny libraries
// (a type library and a PE file): the program's code, the C++ runtime's start-up and
// the file-reading machinery are then resident already, so what remains is what the
// library itself costs.
//
//   peak_memory FILE    prints file_bytes, then the peak bytes after open, after listing
//                       the types, after walking every member view and after building
//                       every page, and the peaks after the list, the walk and the pages
//                       as multiples of the file size
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/Walk.h"
#include "typelib/TypeLibrary.h"
#include "typelib/file/MemoryReuse.h"

namespace {

long long maxResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024;  // Linux reports KiB
}

// Everything the measured run does, on a library too small to matter.
void warmUp(const std::string& path) {
    auto library = vantrel::TypeLibraryLoader().OpenFromFile(path);
    if (!library) return;
    (void)vantrel::bench::listTypes(*library);
    (void)vantrel::bench::walkAllMembers(*library);
    (void)vantrel::bench::buildAllPages(*library);
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::keepFreedMemoryForReuse();
    if (argc != 2) {
        std::fprintf(stderr, "usage: peak_memory FILE\n");
        return 2;
    }
    warmUp(VANTREL_FIXTURES_DIR "/Names.tlb");
    warmUp(VANTREL_FIXTURES_DIR "/Second32.dll");
    const long long baseline = maxResidentBytes();
    const std::string path = argv[1];
    std::error_code ec;
    const auto fileBytes = static_cast<long long>(std::filesystem::file_size(path, ec));
    if (ec) {
        std::fprintf(stderr, "%s: can't be read\n", path.c_str());
        return 1;
    }

    auto library = vantrel::TypeLibraryLoader().OpenFromFile(path);
    if (!library) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), library.error().description.c_str());
        return 1;
    }
    const long long afterOpen = maxResidentBytes() - baseline;
    (void)vantrel::bench::listTypes(*library);
    const long long afterList = maxResidentBytes() - baseline;
    (void)vantrel::bench::walkAllMembers(*library);
    const long long afterWalk = maxResidentBytes() - baseline;
    (void)vantrel::bench::buildAllPages(*library);
    const long long afterPages = maxResidentBytes() - baseline;

    const auto perFileByte = [&](long long bytes) {
        return static_cast<double>(bytes) / static_cast<double>(fileBytes);
    };
    std::printf("file_bytes=%lld open_peak=%lld list_peak=%lld walk_peak=%lld pages_peak=%lld "
                "list_ratio=%.2f ratio=%.2f pages_ratio=%.2f\n",
                fileBytes, afterOpen, afterList, afterWalk, afterPages, perFileByte(afterList),
                perFileByte(afterWalk), perFileByte(afterPages));
    return 0;
}
