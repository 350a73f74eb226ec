// Builds the seed inputs of the fuzz targets: copies each type library, PE or NE file
// given on the command line into the output folder, and beside each PE or NE file the
// raw libraries of its TYPELIB resources, so both entry points of the reader get seeds.
//   make_seeds <out-folder> <max-bytes> <file>...
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "typelib/file/FileBytes.h"
#include "typelib/container/NeResources.h"
#include "typelib/container/PeResources.h"

namespace {

void writeSeed(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_seeds <out-folder> <max-bytes> <file>...\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const size_t maxBytes = std::strtoul(argv[2], nullptr, 10);
    std::filesystem::create_directories(out);
    for (int i = 3; i < argc; ++i) {
        const auto bytes = vantrel::readWholeFile(argv[i]);
        if (!bytes) continue;
        const std::string name = std::filesystem::path(argv[i]).filename().string();
        const bool pe = vantrel::isPeImage(*bytes);
        if (!pe && !vantrel::isNeImage(*bytes)) {
            if (bytes->size() <= maxBytes) writeSeed(out / name, *bytes);
            continue;
        }
        const auto resources = pe ? vantrel::findTypeLibResources(*bytes) : vantrel::findNeTypeLibResources(*bytes);
        if (!resources || resources->empty()) continue;
        if (bytes->size() <= maxBytes) writeSeed(out / name, *bytes);
        for (const vantrel::TypeLibResource& resource : *resources) {
            if (resource.data.size() > maxBytes) continue;
            writeSeed(out / (name + "." + std::to_string(resource.id) + ".tlb"), resource.data);
        }
    }
    return 0;
}
