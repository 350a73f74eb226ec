// Walks everything that a user of a library can reach: every type, both member views,
// every member, every type reference and every report page. Shared by the chain fuzz
// target and the regression test, so both exercise the same calls.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vantrel::hardening {

struct WalkResult {
    bool opened = false;
    std::string openError;  // the description when the open failed
    int64_t operations = 0;  // calls made
    int64_t errors = 0;      // calls that answered with an Error
    // Errors whose description was empty: each one is a fault.
    int64_t emptyDescriptions = 0;
};

// Opens `bytes` (a type library or a PE file) and walks it.
WalkResult walkLibrary(std::span<const uint8_t> bytes, const std::string& path);

}  // namespace vantrel::hardening
