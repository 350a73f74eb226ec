// How the programs ask the C library to treat freed memory.
#pragma once

namespace vantrel {

// Keeps freed memory in the process for reuse. Clicking through a library frees and
// allocates blocks of much the same sizes over and over (a type's decoded members, its
// member view, its page). By default the C library gives freed memory at the top of the
// heap, and every block above 128 KiB, back to the system at once, and each page of it
// is faulted in again on the next allocation: on a virtual machine that costs more than
// the work done in it. Called once at the start of a program.
void keepFreedMemoryForReuse();

}  // namespace vantrel
