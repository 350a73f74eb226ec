#include "typelib/file/MemoryReuse.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vantrel {

void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Up to 8 MiB free at the heap's top stays; blocks up to 4 MiB come from the heap, so
    // that they too are reused rather than mapped and unmapped each time.
    mallopt(M_TRIM_THRESHOLD, 8 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
}

}  // namespace vantrel
