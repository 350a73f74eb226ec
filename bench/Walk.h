// The work the benchmarks and the memory probe measure, shared so that both do the same:
// the libraries they run on, the whole-member-view walk and the all-pages run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"

namespace vantrel::bench {

struct BenchFile {
    std::string label;  // short name for the benchmark's name
    std::string path;
};

// The largest real libraries, one fixture and the SLTG libraries of the corpus that are at
// hand, in the order the reports list them.
std::vector<BenchFile> benchFiles();

// Every type's name, as a list of the types shows it; gives the total length of the names.
size_t listTypes(const TypeLibrary& library);

// What a walk visited; the bench script prints it next to the platform's counts.
struct WalkCounts {
    int64_t types = 0;
    int64_t members = 0;     // GetMember calls
    int64_t typeNames = 0;   // GetVarTypeName calls (return types and parameters)
    // The functions and variables the types store, each counted once: what a walk of
    // the stored records (the platform's walk) visits.
    int64_t stored = 0;
};

// Every type's whole member view: GetMembers with every member, GetMember on each, and
// the display name of every return and parameter type.
Expected<WalkCounts> walkAllMembers(const TypeLibrary& library);

// Every type's report page; gives the total page size.
Expected<size_t> buildAllPages(const TypeLibrary& library);

}  // namespace vantrel::bench
