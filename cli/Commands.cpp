#include "cli/Commands.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "cli/TerminalText.h"
#include "typelib/imports/ImportPath.h"

namespace vantrel::cli {

namespace {

struct Command {
    std::string_view name;
    Expected<int> (*run)(const Invocation&);
};

// A command that has no exit status of its own: 0 when it succeeds.
template <Expected<void> (*Run)(const Invocation&)>
Expected<int> exitsWithZero(const Invocation& invocation) {
    VANTREL_CHECK(Run(invocation));
    return 0;
}

constexpr std::array<Command, 8> Commands{{
    {"list", exitsWithZero<RunList>},
    {"pages", exitsWithZero<RunPages>},
    {"out", exitsWithZero<RunOut>},
    {"json", exitsWithZero<RunJson>},
    {"libraries", exitsWithZero<RunLibraries>},
    {"diff", RunDiff},
    {"help", exitsWithZero<RunHelp>},
    {"version", exitsWithZero<RunVersion>},
}};

constexpr int32_t AllTypesFilter = 239;

std::string absolutePath(const std::string& file) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    if (error) return file;
    return absolute.lexically_normal().string();
}

}  // namespace

Expected<int> RunCommand(const Invocation& invocation) {
    for (const Command& command : Commands)
        if (command.name == invocation.command) return command.run(invocation);
    return makeError(errc::InvalidArgument, "no such command: " + invocation.command);
}

Expected<Component> OpenComponent(const std::string& file, const Invocation& invocation) {
    std::string path = absolutePath(file);
    TypeLibraryLoader loader;
    std::vector<std::string> importPath = invocation.importPath;
    for (std::string& folder : importPathFromEnvironment()) importPath.push_back(std::move(folder));
    loader.SetImportPath(std::move(importPath));
    TypeLibrary library = VANTREL_TRY(loader.OpenFromFile(path, invocation.reading));
    return Component{std::move(path), std::move(library)};
}

Expected<void> CheckTypesExist(const Component& component, const std::vector<std::string>& types) {
    for (const std::string& type : types)
        if (!component.library.FindType(type, AllTypesFilter))
            return makeError(errc::ElementNotFound,
                             "There is no type named \"" + type + "\" in '" + component.path + "'.");
    return {};
}

std::vector<std::string_view> TypeNames(const TypeLibrary& library) {
    std::vector<std::string_view> names;
    const Collection<TypeEntry> types = library.Types();
    names.reserve(types.items().size());
    for (const TypeEntry& type : types.items()) names.push_back(type.Name());
    return names;
}

Expected<void> WriteToStandardOutput(std::string_view text) {
    std::string shown;
    if (isTerminal(stdout)) shown = visibleControls(text, LineBreaks::Kept);
    const std::string_view bytes = isTerminal(stdout) ? std::string_view(shown) : text;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0)
        return makeError(errc::PathFileAccess,
                         std::string("can't write to standard output: ") + std::strerror(errno));
    return {};
}

void PrintError(std::string_view description) {
    const std::string shown = visibleControls(description, LineBreaks::Shown);
    std::fprintf(stderr, "vantrel-report: %s\n", shown.c_str());
}

}  // namespace vantrel::cli
