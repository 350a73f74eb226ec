// The commands of vantrel-report, and what they share: opening the component.
#pragma once

#include <string>

#include "cli/Arguments.h"
#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"

namespace vantrel::cli {

// Runs the command that the invocation names; its exit status when it does not fail.
Expected<int> RunCommand(const Invocation& invocation);

// The component, opened under its absolute path (as the window's file dialog gives it).
struct Component {
    std::string path;
    TypeLibrary library;
};
// The component `file`, its imports also looked for on the import path (the invocation's
// --import-path folders, then VANTREL_IMPORT_PATH's), read with the invocation's code
// page and resource.
Expected<Component> OpenComponent(const std::string& file, const Invocation& invocation);

// Fails naming the first of the types that the library does not hold.
Expected<void> CheckTypesExist(const Component& component, const std::vector<std::string>& types);

// The names of all types, in library order; views into the library.
std::vector<std::string_view> TypeNames(const TypeLibrary& library);

// Writes bytes to standard output; an error when the stream fails (closed pipe, full disk).
// On a terminal, control characters other than line breaks are shown as \xNN.
Expected<void> WriteToStandardOutput(std::string_view bytes);

// Error number of a run that wrote some pages and failed on others; main() exits with
// ExitSomePagesFailed for it.
inline constexpr int32_t SomePagesFailed = 3;
inline constexpr int ExitSomePagesFailed = 3;

// Prints "vantrel-report: DESCRIPTION" on standard error, control characters shown.
void PrintError(std::string_view description);

Expected<void> RunList(const Invocation& invocation);
Expected<void> RunPages(const Invocation& invocation);
Expected<void> RunOut(const Invocation& invocation);
Expected<void> RunLibraries(const Invocation& invocation);
Expected<void> RunHelp(const Invocation& invocation);
Expected<void> RunVersion(const Invocation& invocation);
Expected<void> RunJson(const Invocation& invocation);
// One of the diffstatus values.
Expected<int> RunDiff(const Invocation& invocation);

}  // namespace vantrel::cli
