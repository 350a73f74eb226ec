// vantrel-report FILE: the type names, one per line, in library order.
#include "cli/Commands.h"

namespace vantrel::cli {

Expected<void> RunList(const Invocation& invocation) {
    const Component component = VANTREL_TRY(OpenComponent(invocation.file, invocation));
    std::string listing;
    for (const std::string& name : TypeNames(component.library)) {
        listing += name;
        listing += '\n';
    }
    return WriteToStandardOutput(listing);
}

}  // namespace vantrel::cli
