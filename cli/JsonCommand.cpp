// vantrel-report --json FILE [TYPE...]: the library, or the named types, as JSON.
#include "cli/Commands.h"
#include "report/json/LibraryJson.h"

namespace vantrel::cli {

Expected<void> RunJson(const Invocation& invocation) {
    const Component component = VANTREL_TRY(OpenComponent(invocation.file, invocation));
    std::vector<SearchData> types;
    types.reserve(invocation.types.size());
    for (const std::string& type : invocation.types)
        types.push_back(VANTREL_TRY(component.library.FindType(type, 0)));
    return json::WriteLibraryJson(component.library, types, WriteToStandardOutput);
}

}  // namespace vantrel::cli
