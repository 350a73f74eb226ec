// vantrel-dump FILE: the canonical dump of a type library from our reader, to standard
// output. A file that can't be opened gives the line "load error" (the reason on
// standard error) and exit status 1, as platform_dump does. Imports are also looked for
// in the folders of VANTREL_IMPORT_PATH, as the window and vantrel-report do.
#include <cstdio>
#include <string>

#include "tools/conformance/OurDump.h"
#include "typelib/imports/ImportPath.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrel-dump FILE\n");
        return 2;
    }
    vantrel::TypeLibraryLoader loader;
    loader.SetImportPath(vantrel::importPathFromEnvironment());
    auto library = loader.OpenFromFile(argv[1]);
    if (!library) {
        std::printf("load error\n");
        std::fprintf(stderr, "error %d: %s\n", library.error().number,
                     library.error().description.c_str());
        return 1;
    }
    const std::string text = vantrel::conformance::dumpLibrary(*library);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
