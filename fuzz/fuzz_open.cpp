// Opens arbitrary bytes as a type library or a PE file. Every failure must come back as
// an Error with a description; the sanitizers catch everything else.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "typelib/read/LibraryReader.h"
#include "typelib/TypeLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const vantrel::Expected<vantrel::LibraryInfo> info = vantrel::readTypeLibrary(bytes, "input.tlb");
    if (!info && info.error().description.empty()) std::abort();

    vantrel::TypeLibraryLoader loader;
    const vantrel::Expected<vantrel::TypeLibrary> library = loader.OpenFromBytes(bytes, "input.tlb");
    if (!library && library.error().description.empty()) std::abort();
    return 0;
}
