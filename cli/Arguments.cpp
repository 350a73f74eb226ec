#include "cli/Arguments.h"

#include <array>
#include <charconv>
#include <optional>

#include "typelib/text/CodePage.h"

namespace vantrel::cli {

namespace {

Error usageError(std::string text) {
    return makeError(2, std::move(text));
}

std::optional<uint32_t> parseNumber(std::string_view text) {
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

Expected<void> setOutFolder(Invocation& invocation, std::string_view folder) {
    invocation.outFolder = folder;
    return {};
}

Expected<void> addImportFolder(Invocation& invocation, std::string_view folder) {
    invocation.importPath.emplace_back(folder);
    return {};
}

Expected<void> setCodePage(Invocation& invocation, std::string_view value) {
    const std::optional<uint32_t> codePage = parseNumber(value);
    if (!codePage || !isWindowsAnsiCodePage(*codePage))
        return usageError("--codepage " + std::string(value) +
                          ": not a Windows ANSI code page (874, 932, 936, 949, 950, 1250 to 1258)");
    invocation.reading.codePage = *codePage;
    return {};
}

Expected<void> setResource(Invocation& invocation, std::string_view value) {
    const std::optional<uint32_t> id = parseNumber(value);
    if (!id || *id == 0 || *id > 0xFFFF)
        return usageError("--resource " + std::string(value) + ": a resource id is a number from 1 to 65535");
    invocation.reading.resourceId = *id;
    return {};
}

struct KnownOption {
    std::string_view flag;
    std::string_view command;  // the command it selects; empty for one that sets a choice
    std::string_view value;    // what follows, "--out DIR" or "--out=DIR"; empty for none
    bool takesFile;            // the command works on FILE [TYPE...]
    Expected<void> (*apply)(Invocation&, std::string_view value);
};

// Each command of the tool is one row here and one row in the command table.
constexpr std::array<KnownOption, 9> Options{{
    {"--out", "out", "a folder", true, setOutFolder},
    {"--json", "json", "", true, nullptr},
    {"--libraries", "libraries", "", true, nullptr},
    {"--import-path", "", "a folder", true, addImportFolder},
    {"--codepage", "", "a code page", true, setCodePage},
    {"--resource", "", "a resource id", true, setResource},
    {"--help", "help", "", false, nullptr},
    {"-h", "help", "", false, nullptr},
    {"--version", "version", "", false, nullptr},
}};

const KnownOption* findOption(std::string_view flag) {
    for (const KnownOption& option : Options)
        if (option.flag == flag) return &option;
    return nullptr;
}

bool looksLikeOption(std::string_view argument) {
    return argument.size() > 1 && argument.front() == '-';
}

// Reads the options at the front of the command line; `next` is left at FILE.
class OptionParser {
public:
    OptionParser(const std::vector<std::string_view>& arguments, Invocation& invocation)
        : arguments_(arguments), invocation_(invocation) {}

    Expected<void> parse() {
        while (next_ < arguments_.size() && looksLikeOption(arguments_[next_])) {
            if (arguments_[next_] == "--") {
                ++next_;  // what follows is FILE [TYPE...], even when it begins with "-"
                break;
            }
            VANTREL_CHECK(parseOption(arguments_[next_++]));
        }
        if (invocation_.reading.resourceId && invocation_.command == "libraries")
            return usageError("--resource can't be combined with --libraries, which lists every library");
        return {};
    }

    size_t next() const { return next_; }
    bool takesFile() const { return takesFile_; }

private:
    Expected<void> parseOption(std::string_view flag) {
        std::optional<std::string_view> value;
        if (const size_t equals = flag.find('='); equals != std::string_view::npos) {
            value = flag.substr(equals + 1);
            flag = flag.substr(0, equals);
        }
        const KnownOption* option = findOption(flag);
        if (option == nullptr) return usageError("unknown option " + std::string(flag));
        if (value && option->value.empty()) return usageError(std::string(flag) + " takes no value");
        if (!option->value.empty()) {
            if (!value && next_ < arguments_.size()) value = arguments_[next_++];
            if (!value || value->empty()) return usageError(std::string(flag) + " needs " + std::string(option->value));
        }
        if (!option->command.empty()) {
            if (!invocation_.command.empty())
                return usageError(std::string(flag) + " can't be combined with " + std::string(commandFlag_));
            invocation_.command = option->command;
            commandFlag_ = flag;
            takesFile_ = option->takesFile;
        }
        if (option->apply) VANTREL_CHECK(option->apply(invocation_, *value));
        return {};
    }

    const std::vector<std::string_view>& arguments_;
    Invocation& invocation_;
    size_t next_ = 0;
    bool takesFile_ = true;
    std::string_view commandFlag_;
};

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

}  // namespace

bool IsDiffCommand(const std::vector<std::string_view>& arguments) {
    return !arguments.empty() && arguments.front() == "diff";
}

Expected<Invocation> ParseArguments(const std::vector<std::string_view>& arguments) {
    if (IsDiffCommand(arguments)) return parseDiff(arguments);
    Invocation invocation;
    OptionParser options(arguments, invocation);
    VANTREL_CHECK(options.parse());
    size_t next = options.next();

    if (!options.takesFile()) {
        if (next < arguments.size())
            return usageError("unexpected argument " + std::string(arguments[next]));
        return invocation;
    }
    if (next >= arguments.size()) return usageError("no component file given");
    invocation.file = arguments[next++];
    for (; next < arguments.size(); ++next) invocation.types.emplace_back(arguments[next]);
    if (invocation.command == "libraries" && !invocation.types.empty())
        return usageError("unexpected argument " + invocation.types.front() + ": --libraries takes no types");
    if (invocation.command.empty()) invocation.command = invocation.types.empty() ? "list" : "pages";
    return invocation;
}

std::string UsageText() {
    return "Usage:\n"
           "  vantrel-report [OPTION...] FILE      list the names of the library's types, one per line\n"
           "  vantrel-report [OPTION...] FILE TYPE...\n"
           "                                       write each type's member report page to standard output\n"
           "  vantrel-report --out DIR [OPTION...] FILE [TYPE...]\n"
           "                                       write the pages as files into DIR, named\n"
           "                                       FILE_TYPE.html; every type when none is named\n"
           "  vantrel-report --json [OPTION...] FILE [TYPE...]\n"
           "                                       write all the library holds (or the named types)\n"
           "                                       as one JSON document to standard output\n"
           "  vantrel-report diff [--json] OLD NEW compare two builds of a library: what was added,\n"
           "                                       removed and changed, and whom it breaks\n"
           "  vantrel-report --libraries [--codepage N] FILE\n"
           "                                       list the type libraries FILE carries: resource id\n"
           "                                       (- for a type library file), name, version and\n"
           "                                       number of types, tab-separated\n"
           "  vantrel-report --import-path DIR ...  (before the rest, any number of times) look for\n"
           "                                       imported libraries in DIR too, see below\n"
           "  vantrel-report --help                show this text\n"
           "  vantrel-report --version             show the version\n"
           "\n"
           "Options:\n"
           "  --resource ID    read the TYPELIB resource ID of FILE; without it, resource 1, else\n"
           "                   the lowest id (as the Vantrel window does)\n"
           "  --codepage N     decode names and strings in Windows code page N: 874, 932, 936, 949,\n"
           "                   950 or 1250 to 1258\n"
           "\n"
           "FILE is a type library (.tlb, .olb) or a component that carries one (.dll, .ocx, .exe).\n"
           "Names and strings are 8-bit text: a library whose locale names a language is read in\n"
           "that language's Windows code page; one whose locale is neutral is read in the code\n"
           "page its text reveals, else in the one of the user's locale (LC_ALL, LC_CTYPE, LANG)\n"
           "when that decodes it, else in the first of 932, 936, 949, 950 that does.\n"
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
           "With --out, a page that fails (a damaged type, a file that can't be written) is named\n"
           "on standard error and the other pages are still written.\n"
           "On a terminal, control characters in names are shown as \\xNN.\n"
           "Exit status: 0 on success, 1 on an error, 2 on a wrong command line, 3 when --out\n"
           "wrote some pages but not all.\n"
           "diff: 0 when the libraries are the same, 1 when every change is compatible, 2 when a\n"
           "change breaks clients, 3 on an error or a wrong command line.\n";
}

}  // namespace vantrel::cli
