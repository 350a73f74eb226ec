// vantrel-report diff [--json] OLD NEW: what changed between two builds of a library, and
// whom it breaks.
#include "cli/Commands.h"
#include "report/json/DiffReport.h"

namespace vantrel::cli {

namespace {

int statusOf(json::Verdict verdict) {
    switch (verdict) {
    case json::Verdict::Same: return diffstatus::Same;
    case json::Verdict::Compatible: return diffstatus::Compatible;
    case json::Verdict::Breaking: return diffstatus::Breaking;
    }
    return diffstatus::Breaking;
}

}  // namespace

Expected<int> RunDiff(const Invocation& invocation) {
    // Each library is opened by a loader of its own, so that the two builds, which share
    // a LIBID, are never taken for one another when imports are resolved.
    const Component before = VANTREL_TRY(OpenComponent(invocation.file, invocation));
    const Component after = VANTREL_TRY(OpenComponent(invocation.newFile, invocation));
    const std::vector<json::Change> changes = json::DiffLibraries(before.library, after.library);
    if (invocation.json)
        VANTREL_CHECK(WriteToStandardOutput(
            json::JsonText(json::DiffDocument(before.library, after.library, changes))));
    else
        VANTREL_CHECK(WriteToStandardOutput(json::DiffText(changes)));
    return statusOf(json::VerdictOf(changes));
}

}  // namespace vantrel::cli
