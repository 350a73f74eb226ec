// Opens the fixture libraries once per test binary and finds types by name.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "typelib/TypeLibrary.h"

namespace vantrel::testing {

inline std::string fixturePath(const std::string& file) {
    return std::string(VANTREL_FIXTURES_DIR) + "/" + file;
}

// The library opened from `file`, kept for the rest of the run; a failed open fails the
// calling test.
inline const TypeLibrary* fixtureLibrary(const std::string& file) {
    static std::map<std::string, TypeLibrary> opened;
    const auto found = opened.find(file);
    if (found != opened.end()) return &found->second;
    TypeLibraryLoader loader;
    Expected<TypeLibrary> library = loader.OpenFromFile(fixturePath(file));
    if (!library) {
        ADD_FAILURE() << file << ": " << library.error().description;
        return nullptr;
    }
    return &opened.emplace(file, std::move(library).value()).first->second;
}

inline SearchData typeIndex(const TypeLibrary& library, const std::string& name) {
    Expected<SearchData> found = library.FindType(name, 239);
    if (!found) {
        ADD_FAILURE() << found.error().description;
        return -1;
    }
    return *found;
}

}  // namespace vantrel::testing
