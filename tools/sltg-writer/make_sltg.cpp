// make-sltg IN OUT: reads the type library IN (any format our reader opens) and writes
// the same library as a stand-alone SLTG type library OUT.
#include <cstdio>
#include <fstream>

#include "tools/sltg-writer/SltgWriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-sltg IN OUT\n");
        return 2;
    }
    vantrel::TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(argv[1]);
    if (!library) {
        std::fprintf(stderr, "make-sltg: %s\n", library.error().description.c_str());
        return 1;
    }
    auto bytes = vantrel::sltg::writeLibrary(*library);
    if (!bytes) {
        std::fprintf(stderr, "make-sltg: %s\n", bytes.error().description.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    if (!out) {
        std::fprintf(stderr, "make-sltg: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
