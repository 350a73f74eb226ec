// Peak memory of opening one library and walking it, measured in a process of its own:
// the high-water mark of the resident set after each step, less the mark at start (what
// an empty run of this program reaches), against the file's size.
//
//   peak_memory FILE    prints file_bytes, then open / walk / pages peak bytes and the
//                       final peak as a multiple of the file size
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/Walk.h"
#include "typelib/TypeLibrary.h"

namespace {

long long maxResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024;  // Linux reports KiB
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: peak_memory FILE\n");
        return 2;
    }
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
    (void)vantrel::bench::walkAllMembers(*library);
    const long long afterWalk = maxResidentBytes() - baseline;
    (void)vantrel::bench::buildAllPages(*library);
    const long long afterPages = maxResidentBytes() - baseline;

    std::printf("file_bytes=%lld open_peak=%lld walk_peak=%lld pages_peak=%lld ratio=%.2f\n",
                fileBytes, afterOpen, afterWalk, afterPages,
                static_cast<double>(afterPages) / static_cast<double>(fileBytes));
    return 0;
}
