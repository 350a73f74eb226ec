// --help and --version.
#include "cli/Commands.h"

#ifndef VANTREL_VERSION
#error "VANTREL_VERSION is set by the build"
#endif

namespace vantrel::cli {

Expected<void> RunHelp(const Invocation&) {
    return WriteToStandardOutput(UsageText());
}

Expected<void> RunVersion(const Invocation&) {
    return WriteToStandardOutput("vantrel-report " VANTREL_VERSION "\n");
}

}  // namespace vantrel::cli
