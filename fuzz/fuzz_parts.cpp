// Opens arbitrary bytes as a file that is read in parts (head, resource section, TYPELIB
// data), with the sizes lowered so that small inputs take that path. Reading in parts
// must give exactly what reading the whole file gives.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "typelib/read/LibraryReader.h"

namespace {

// One file for the whole run, rewritten for each input.
const std::string& inputPath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/vantrel-fuzz-parts-XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd < 0) std::abort();
        ::close(fd);
        return std::string(pattern);
    }();
    return path;
}

void writeInput(std::span<const uint8_t> bytes) {
    std::FILE* file = std::fopen(inputPath().c_str(), "wb");
    if (!file) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
    if (std::fclose(file) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    writeInput(bytes);
    const vantrel::FileReadLimits inParts{.partsFrom = 0, .headSize = 512};
    const vantrel::Expected<vantrel::LibraryInfo> parts = vantrel::readTypeLibraryFile(inputPath(), {}, inParts);
    const vantrel::Expected<vantrel::LibraryInfo> whole = vantrel::readTypeLibrary(bytes, inputPath());
    if (!parts && parts.error().description.empty()) std::abort();
    if (parts.hasValue() != whole.hasValue()) std::abort();
    if (!parts && !(parts.error() == whole.error())) std::abort();
    if (parts && parts->types.size() != whole->types.size()) std::abort();
    return 0;
}
