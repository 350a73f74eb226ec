// The limits the reader enforces on what a file may make it do. A type library comes
// from anywhere, and every offset, count and chain in it is taken as a claim to check:
// the reader allocates in proportion to the bytes it was given, follows each chain at
// most once per element, and answers anything beyond these limits with an error
// (number 0x80028018, "... is damaged: ...") instead of a crash or a hang.
//
// What that guarantees: opening a file of S bytes and building every type's member view
// and report page takes at most peakMemoryAllowed(S) = 32 MiB + 8 x S at its peak, and
// time linear in S (tests/hardening/HostileFilesTest checks both on crafted worst cases).
//
// Fixed limits, far above anything a real library needs:
//   - a file of at most kMaxLibraryFileSize bytes (FileBytes.h): larger ones are
//     refused before they are read;
//   - type descriptions nested at most kMaxTypeDescNesting levels (a pointer to a
//     pointer to an array ...), and never referring to themselves;
//   - a chain of base interfaces at most kMaxBaseChainLength long, and never a cycle.
//
// Limits that the file's own size sets:
//   - the header's type count: each type needs 104 bytes of the file;
//   - a type's function and variable counts: each record needs its fixed part inside
//     the type's member block, and the member records of all types together may use
//     each byte of the file once, so overlapping records can't multiply the work;
//   - array bounds, implemented-interface records and resource directories: each is
//     read at most once (a shared or looping one is an error), so their total is
//     bounded by the bytes that hold them;
//   - names, strings and string values: their length fields are checked against the
//     table they live in; each is decoded once per place and shared by every record
//     that points there, and the texts of a table together may use each of its bytes
//     once (DecodedTexts), so overlapping texts can't multiply the work;
//   - hash tables keyed by numbers from the file are seeded per run (SeededHash.h);
//   - a report page: at most maxPageSize(library size) bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// What opening a file of `fileSize` bytes and building every type's member view and
// report page may take at its peak: 32 MiB + 8 x the file's size.
inline constexpr uint64_t peakMemoryAllowed(uint64_t fileSize) { return (uint64_t{32} << 20) + 8 * fileSize; }

// The largest report page of a library of `librarySize` bytes: 4 MiB + twice its size.
// Names are shared in the file and repeated on a page, so a crafted type can ask for a
// page far larger than the file; a real page is a fraction of its library.
inline constexpr uint64_t maxPageSize(uint64_t librarySize) { return (uint64_t{4} << 20) + 2 * librarySize; }

inline constexpr int kMaxTypeDescNesting = 64;
inline constexpr size_t kMaxBaseChainLength = 256;

}  // namespace vantrel
