#include "cli/Arguments.h"

#include <array>

namespace vantrel::cli {

namespace {

struct OptionSpec {
    std::string_view flag;
    std::string_view command;
    bool takesValue;  // a value follows: "--out DIR" or "--out=DIR"
    bool takesFile;   // then FILE [TYPE...]
};

// Each mode of the tool is one row here and one row in the command table.
constexpr std::array<OptionSpec, 5> Options{{
    {"--out", "out", true, true},
    {"--json", "json", false, true},
    {"--help", "help", false, false},
    {"-h", "help", false, false},
    {"--version", "version", false, false},
}};

const OptionSpec* findOption(std::string_view flag) {
    for (const OptionSpec& option : Options)
        if (option.flag == flag) return &option;
    return nullptr;
}

Error usageError(std::string text) {
    return makeError(2, std::move(text));
}

bool looksLikeOption(std::string_view argument) {
    return argument.size() > 1 && argument.front() == '-';
}

// diff [--json] OLD NEW, --json in any place.
Expected<Invocation> parseDiff(const std::vector<std::string_view>& arguments) {
    Invocation invocation;
    invocation.command = "diff";
    std::vector<std::string_view> files;
    bool filesOnly = false;
    for (size_t next = 1; next < arguments.size(); ++next) {
        const std::string_view argument = arguments[next];
        if (!filesOnly && argument == "--") {
            filesOnly = true;
        } else if (!filesOnly && argument == "--json") {
            invocation.json = true;
        } else if (!filesOnly && looksLikeOption(argument)) {
            return usageError("unknown option " + std::string(argument) + " for diff");
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() != 2) return usageError("diff needs two files: OLD NEW");
    invocation.file = files[0];
    invocation.newFile = files[1];
    return invocation;
}

constexpr std::string_view ImportPathFlag = "--import-path";

// An option as given: "--out DIR" or "--out=DIR".
struct GivenOption {
    std::string_view flag;
    std::string_view inlineValue;
    bool hasInlineValue = false;
};

GivenOption splitOption(std::string_view argument) {
    const size_t equals = argument.find('=');
    if (equals == std::string_view::npos) return {argument, {}, false};
    return {argument.substr(0, equals), argument.substr(equals + 1), true};
}

// The folder that follows the option, inline or as the next argument.
Expected<std::string> folderOf(const GivenOption& given,
                               const std::vector<std::string_view>& arguments, size_t& next) {
    std::string value;
    if (given.hasInlineValue) {
        value = given.inlineValue;
    } else if (next < arguments.size()) {
        value = arguments[next++];
    }
    if (value.empty()) return usageError(std::string(given.flag) + " needs a folder");
    return value;
}

// The options before FILE: any number of --import-path and at most one of the others.
Expected<bool> parseOptions(const std::vector<std::string_view>& arguments, size_t& next,
                            Invocation& invocation) {
    bool takesFile = true;
    while (next < arguments.size() && looksLikeOption(arguments[next])) {
        if (arguments[next] == "--") {
            ++next;  // what follows is FILE [TYPE...], even when it begins with "-"
            break;
        }
        const GivenOption given = splitOption(arguments[next++]);
        if (given.flag == ImportPathFlag) {
            invocation.importPath.push_back(VANTREL_TRY(folderOf(given, arguments, next)));
            continue;
        }
        const OptionSpec* option = findOption(given.flag);
        if (option == nullptr) return usageError("unknown option " + std::string(given.flag));
        if (!invocation.command.empty())
            return usageError(std::string(given.flag) + " can't be combined with another command");
        if (given.hasInlineValue && !option->takesValue)
            return usageError(std::string(given.flag) + " takes no value");
        if (option->takesValue) invocation.optionValue = VANTREL_TRY(folderOf(given, arguments, next));
        invocation.command = option->command;
        takesFile = option->takesFile;
        if (!takesFile) break;
    }
    return takesFile;
}

}  // namespace

bool IsDiffCommand(const std::vector<std::string_view>& arguments) {
    return !arguments.empty() && arguments.front() == "diff";
}

Expected<Invocation> ParseArguments(const std::vector<std::string_view>& arguments) {
    if (IsDiffCommand(arguments)) return parseDiff(arguments);
    Invocation invocation;
    size_t next = 0;
    const bool takesFile = VANTREL_TRY(parseOptions(arguments, next, invocation));
    if (!takesFile) {
        if (next < arguments.size())
            return usageError("unexpected argument " + std::string(arguments[next]));
        return invocation;
    }
    if (next >= arguments.size()) return usageError("no component file given");
    invocation.file = arguments[next++];
    for (; next < arguments.size(); ++next) invocation.types.emplace_back(arguments[next]);
    if (invocation.command.empty()) invocation.command = invocation.types.empty() ? "list" : "pages";
    return invocation;
}

std::string UsageText() {
    return "Usage:\n"
           "  vantrel-report FILE                  list the names of the library's types, one per line\n"
           "  vantrel-report FILE TYPE...          write each type's member report page to standard output\n"
           "  vantrel-report --out DIR FILE [TYPE...]\n"
           "                                       write the pages as files into DIR, named\n"
           "                                       FILE_TYPE.html; every type when none is named\n"
           "  vantrel-report --json FILE [TYPE...] write all the library holds (or the named types)\n"
           "                                       as one JSON document to standard output\n"
           "  vantrel-report diff [--json] OLD NEW compare two builds of a library: what was added,\n"
           "                                       removed and changed, and whom it breaks\n"
           "  vantrel-report --import-path DIR ...  (before the rest, any number of times) look for\n"
           "                                       imported libraries in DIR too, see below\n"
           "  vantrel-report --help                show this text\n"
           "  vantrel-report --version             show the version\n"
           "\n"
           "FILE is a type library (.tlb, .olb) or a component that carries one (.dll, .ocx, .exe).\n"
           "Pages are UTF-8 HTML, exactly as the Vantrel window writes them, with FILE as an\n"
           "absolute path in title and heading; several pages follow each other without a separator.\n"
           "Types FILE borrows from other type libraries are found without a registry: in a library\n"
           "already opened, else in FILE's folder (the file name recorded for the import, compared\n"
           "ignoring case, else any .tlb or .olb there with its LIBID), else in the built-in OLE\n"
           "Automation library (stdole2) and Standard OLE Types, else in the import path: the\n"
           "folders given with --import-path, then those that the environment variable\n"
           "VANTREL_IMPORT_PATH lists (separated by ':'), in order. The first folder that holds\n"
           "a library (.tlb, .olb, .dll, .ocx, .exe) with the imported LIBID gives the highest\n"
           "version there that is not older than the one imported; files that are no type\n"
           "library are passed over. A type found nowhere is shown as\n"
           "<Unregistered External Type>.\n"
           "--json writes the document that library.schema.json describes (installed in\n"
           "share/vantrel/schema; report/json in the sources): the library's attributes, and per\n"
           "type its attributes, its functions and variables as stored (type descriptions as\n"
           "nested objects) and its members as the report lists them.\n"
           "diff pairs types by GUID, else by name, members by name and invoke kind, parameters\n"
           "by position, and says of every change whom it breaks: clients bound early (vtable\n"
           "slots, signatures, IIDs), clients bound late (IDispatch: names, DISPIDs), or nobody\n"
           "(added types, members added at the end, doc strings). With --json it writes the\n"
           "changes as diff.schema.json, beside the other, describes. A file named diff is\n"
           "given as ./diff.\n"
           "Exit status: 0 on success, 1 on an error, 2 on a wrong command line.\n"
           "diff: 0 when the libraries are the same, 1 when every change is compatible, 2 when a\n"
           "change breaks clients, 3 on an error or a wrong command line.\n";
}

}  // namespace vantrel::cli
