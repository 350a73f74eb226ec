// vantrel-report --libraries FILE: the type libraries a file carries, one per line:
// resource id, name, version and number of types, separated by tabs.
#include "cli/Commands.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::cli {

namespace {

// A library that can't be read keeps its line, with the reason in place of the rest.
std::string libraryLine(const CarriedLibrary& carried) {
    std::string line = carried.resourceId == 0 ? "-" : std::to_string(carried.resourceId);
    line += '\t';
    if (!carried.library) return line + "error: " + carried.library.error().description + '\n';
    const LibraryInfo& library = *carried.library;
    return line + library.name + '\t' + std::to_string(library.majorVersion) + '.' +
           std::to_string(library.minorVersion) + '\t' + std::to_string(library.types.size()) + '\n';
}

}  // namespace

Expected<void> RunLibraries(const Invocation& invocation) {
    const std::vector<CarriedLibrary> libraries =
        VANTREL_TRY(readCarriedLibraries(invocation.file, invocation.reading));
    std::string listing;
    for (const CarriedLibrary& carried : libraries) listing += libraryLine(carried);
    return WriteToStandardOutput(listing);
}

}  // namespace vantrel::cli
