// vantrel-report --out DIR FILE [TYPE...]: the pages as files in DIR, every type when
// none is named. A page that fails is named on standard error and the others are still
// written; the run then ends with SomePagesFailed.
#include <filesystem>
#include <map>
#include <set>

#include "cli/Commands.h"
#include "cli/Progress.h"
#include "report/MemberReport.h"
#include "report/PageFile.h"
#include "report/ReportFileName.h"

namespace vantrel::cli {

namespace {

constexpr size_t ProgressThreshold = 300;

Expected<void> makeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return makeError(errc::PathFileAccess, "can't create " + folder + ": " + error.message());
    return {};
}

// Gives each type name its own file name: two names that become the same file name once
// unsafe characters are replaced ("a/b" and "a_b") must not write over each other.
class FileNames {
public:
    explicit FileNames(const std::string& componentPath) : componentPath_(componentPath) {}

    std::string of(std::string_view typeName) {
        std::string name = ReportFileName(componentPath_, typeName);
        for (unsigned attempt = 1; !claim(name, typeName); ++attempt)
            name = DistinctReportFileName(componentPath_, typeName, attempt);
        return name;
    }

private:
    bool claim(const std::string& fileName, std::string_view typeName) {
        const auto [at, added] = owners_.try_emplace(fileName, typeName);
        return added || at->second == typeName;
    }

    const std::string& componentPath_;
    std::map<std::string, std::string_view> owners_;  // file name -> type name
};

}  // namespace

Expected<void> RunOut(const Invocation& invocation) {
    const Component component = VANTREL_TRY(OpenComponent(invocation.file, invocation));
    VANTREL_CHECK(CheckTypesExist(component, invocation.types));
    const std::vector<std::string_view> types =
        invocation.types.empty() ? TypeNames(component.library)
                                 : std::vector<std::string_view>(invocation.types.begin(), invocation.types.end());
    VANTREL_CHECK(makeFolder(invocation.outFolder));

    Progress progress(types.size(), ProgressThreshold);
    FileNames fileNames(component.path);
    // Types of the very same name show the same page; it is written once.
    std::set<std::string_view> written;
    size_t failed = 0;
    for (const std::string_view type : types) {
        if (written.insert(type).second) {
            const std::string name(type);
            Expected<std::string> page = GetProperties(component.library, component.path, name, component.path);
            Expected<void> stored = page ? WritePageFile(invocation.outFolder, fileNames.of(type), *page)
                                         : Expected<void>(page.error());
            if (!stored) {
                PrintError("no page for " + name + ": " + stored.error().description);
                ++failed;
            }
        }
        progress.advance();
    }
    if (failed != 0)
        return makeError(SomePagesFailed, std::to_string(failed) + " of " + std::to_string(written.size()) +
                                              " pages could not be written.");
    return {};
}

}  // namespace vantrel::cli
