// vantrel-report --out DIR FILE [TYPE...]: the pages as files in DIR, every type when
// none is named.
#include <filesystem>
#include <set>

#include "cli/Commands.h"
#include "cli/PageFile.h"
#include "cli/Progress.h"
#include "report/MemberReport.h"
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

}  // namespace

Expected<void> RunOut(const Invocation& invocation) {
    const Component component = VANTREL_TRY(OpenComponent(invocation.file, invocation));
    VANTREL_CHECK(CheckTypesExist(component, invocation.types));
    const std::vector<std::string> types =
        invocation.types.empty() ? TypeNames(component.library) : invocation.types;
    VANTREL_CHECK(makeFolder(invocation.outFolder));

    Progress progress(types.size(), ProgressThreshold);
    // Types whose names differ only in case give the same page; it is written once.
    std::set<std::string> written;
    for (const std::string& type : types) {
        const std::string fileName = ReportFileName(component.path, type);
        if (written.insert(fileName).second) {
            const std::string page =
                VANTREL_TRY(GetProperties(component.library, component.path, type, component.path));
            VANTREL_CHECK(WritePageFile(invocation.outFolder, fileName, page));
        }
        progress.advance();
    }
    return {};
}

}  // namespace vantrel::cli
