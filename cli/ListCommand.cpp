// vantrel-report FILE: the type names, one per line, in library order.
#include "cli/Commands.h"
#include "cli/TerminalText.h"

namespace vantrel::cli {

Expected<void> RunList(const Invocation& invocation) {
    const Component component = VANTREL_TRY(OpenComponent(invocation.file, invocation));
    // On a terminal a line break inside a name is shown, so each name stays one line.
    const bool terminal = isTerminal(stdout);
    std::string listing;
    for (const std::string_view name : TypeNames(component.library)) {
        listing += terminal ? visibleControls(name, LineBreaks::Shown) : std::string(name);
        listing += '\n';
    }
    return WriteToStandardOutput(listing);
}

}  // namespace vantrel::cli
