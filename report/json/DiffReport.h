// The comparison of two builds, written for a person (text grouped by whom the changes
// break) or for a program (JSON; report/json/diff.schema.json describes it).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/json/LibraryDiff.h"
#include "report/json/LibraryJson.h"

namespace vantrel::json {

inline constexpr int DiffSchemaVersion = 1;

std::string_view VerdictName(Verdict verdict);

// Nothing when there are no changes; else the changes that break early- and late-bound
// clients, those that break one of them, the compatible ones, and a closing verdict.
std::string DiffText(const std::vector<Change>& changes);

Json DiffDocument(const TypeLibrary& oldLibrary, const TypeLibrary& newLibrary,
                  const std::vector<Change>& changes);

}  // namespace vantrel::json
