// vantrel-report FILE TYPE...: each type's report page on standard output.
#include "cli/Commands.h"
#include "report/MemberReport.h"

namespace vantrel::cli {

Expected<void> RunPages(const Invocation& invocation) {
    const Component component = VANTREL_TRY(OpenComponent(invocation.file, invocation));
    // Every name is checked before the first page goes out.
    VANTREL_CHECK(CheckTypesExist(component, invocation.types));
    for (const std::string& type : invocation.types) {
        const std::string page =
            VANTREL_TRY(GetProperties(component.library, component.path, type, component.path));
        VANTREL_CHECK(WriteToStandardOutput(page));
    }
    return {};
}

}  // namespace vantrel::cli
