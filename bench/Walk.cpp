#include "bench/Walk.h"

#include <filesystem>

#include "report/MemberReport.h"

namespace vantrel::bench {

std::vector<BenchFile> benchFiles() {
    const std::string real = VANTREL_REAL_LIBS_DIR;
    const std::string fixtures = VANTREL_FIXTURES_DIR;
    std::vector<BenchFile> files = {
        {"mshtml.tlb", real + "/mshtml.tlb"},
        {"msxml3.dll", real + "/msxml3.dll"},
        {"sapi.dll", real + "/sapi.dll"},
        {"stdole2.tlb", real + "/stdole2.tlb"},
        {"Fixture.tlb", fixtures + "/Fixture.tlb"},
    };
    // The largest SLTG library and a control, where the corpus is at hand.
    for (const char* name : {"XL5EN32.OLB", "THREED32.OCX"}) {
        const std::string path = std::string(VANTREL_CORPUS_DIR) + "/" + name;
        if (std::filesystem::exists(path)) files.push_back({name, path});
    }
    return files;
}

size_t listTypes(const TypeLibrary& library) {
    size_t total = 0;
    const Collection<TypeEntry> types = library.Types();
    for (const TypeEntry& type : types.items()) total += type.Name().size();
    return total;
}

namespace {

Expected<void> nameType(const TypeRef& type, WalkCounts& counts) {
    const std::string name = VANTREL_TRY(GetVarTypeName(type));
    ++counts.typeNames;
    return {};
}

Expected<void> walkType(const TypeLibrary& library, SearchData type, WalkCounts& counts) {
    const Collection<MemberItem> members =
        VANTREL_TRY(library.GetMembers(type, memberview::AllMembers));
    for (const MemberItem& member : members.items()) {
        // Used where it lies, as a caller keen on speed would.
        const Expected<MemberEntry> entry =
            library.GetMember(type, member.InvokeKinds, member.MemberId, member.Name);
        if (!entry) return entry.error();
        ++counts.members;
        VANTREL_CHECK(nameType(entry->ReturnType, counts));
        for (const ParameterEntry& parameter : entry->Parameters.items())
            VANTREL_CHECK(nameType(parameter.Type, counts));
    }
    return {};
}

}  // namespace

// A type whose members can't be read (a damaged record, an unreachable base) counts as
// visited: the walk goes on as a user clicking through the types would.
Expected<WalkCounts> walkAllMembers(const TypeLibrary& library) {
    WalkCounts counts;
    const Collection<TypeEntry> types = library.Types();
    for (const TypeEntry& type : types.items()) {
        ++counts.types;
        const MembersRef members = type.info().members();
        counts.stored += static_cast<int64_t>(members.funcs().size() + members.vars().size());
        (void)walkType(library, type.index(), counts);
    }
    return counts;
}

Expected<size_t> buildAllPages(const TypeLibrary& library) {
    const std::string& path = library.path();
    size_t total = 0;
    const Collection<TypeEntry> types = library.Types();
    for (const TypeEntry& type : types.items()) {
        Expected<std::string> page = GetProperties(library, path, std::string(type.Name()), path);
        if (page) total += page->size();
    }
    return total;
}

}  // namespace vantrel::bench
