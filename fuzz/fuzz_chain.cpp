// Opens arbitrary bytes and walks everything reachable from the library: types, member
// views, members, type references and report pages.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz/LibraryWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const vantrel::hardening::WalkResult result =
        vantrel::hardening::walkLibrary(std::span<const uint8_t>(data, size), "input.tlb");
    if (result.emptyDescriptions != 0) std::abort();
    return 0;
}
