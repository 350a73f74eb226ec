// vantrel-report as a user runs it: listing, pages on standard output, page files,
// help and version, and the exit status and message of every kind of failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../hardening/HostileLibraries.h"
#include "ToolProcess.h"
#include "report/MemberReport.h"
#include "report/ReportFileName.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

using testing::RunTool;
using testing::ToolResult;
using testing::TempFolder;
using testing::ReadWhole;
using testing::EnumType;
using testing::libraryOfEnums;

const std::string FixturesDir = VANTREL_FIXTURES_DIR;
const std::string FixturePath = FixturesDir + "/Fixture.tlb";

TypeLibrary openFixture(const std::string& path) {
    TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(path);
    if (!library) throw std::runtime_error(library.error().description);
    return std::move(*library);
}

std::string expectedPage(const std::string& path, const std::string& type) {
    const auto page = GetProperties(openFixture(path), path, type, path);
    if (!page) throw std::runtime_error(page.error().description);
    return *page;
}


TEST(Cli, ListsTypeNamesInLibraryOrder) {
    std::string expected;
    const Collection<TypeEntry> types = openFixture(FixturePath).Types();
    for (const TypeEntry& type : types.items()) expected += std::string(type.Name()) + "\n";
    const ToolResult result = RunTool({FixturePath});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");
    // "--" ends the options: what follows is FILE even when it looks like one.
    EXPECT_EQ(RunTool({"--", FixturePath}).out, expected);
}

TEST(Cli, WritesThePagesOfTheNamedTypesToStandardOutput) {
    const ToolResult one = RunTool({FixturePath, "IFxDual"});
    EXPECT_EQ(one.exitStatus, 0) << one.err;
    EXPECT_EQ(one.out, expectedPage(FixturePath, "IFxDual"));

    const ToolResult two = RunTool({FixturePath, "FxColor", "DFxEvents"});
    EXPECT_EQ(two.exitStatus, 0) << two.err;
    EXPECT_EQ(two.out, expectedPage(FixturePath, "FxColor") + expectedPage(FixturePath, "DFxEvents"));
}

TEST(Cli, MakesARelativeFilePathAbsoluteForTitleAndHeading) {
    const ToolResult result = RunTool({"./Fixture.tlb", "FxColor"}, FixturesDir);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, expectedPage(FixturePath, "FxColor"));
}

TEST(Cli, EscapesNamesInPagesOnStandardOutput) {
    const std::string path = FixturesDir + "/Escaping.tlb";
    const ToolResult result = RunTool({path, "<script>"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("(&lt;script&gt;)</h3>"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("<script>"), std::string::npos) << result.out;
}

TEST(Cli, OutWritesTheNamedTypesAsFilesNamedAfterComponentAndType) {
    const TempFolder out("vantrel-out");
    const ToolResult result = RunTool({"--out", out.path().string(), FixturePath, "IFxDual", "FxColor"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(out.fileNames(), (std::vector<std::string>{"Fixture.tlb_FxColor.html",
                                                         "Fixture.tlb_IFxDual.html"}));
    EXPECT_EQ(ReadWhole(out.path() / "Fixture.tlb_IFxDual.html"), expectedPage(FixturePath, "IFxDual"));
    EXPECT_EQ(ReadWhole(out.path() / "Fixture.tlb_FxColor.html"), expectedPage(FixturePath, "FxColor"));
}

TEST(Cli, OutWithoutTypesWritesEveryTypeAndNothingElse) {
    const TempFolder out("vantrel-out");
    const ToolResult result = RunTool({"--out=" + out.path().string(), FixturePath});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> expected;
    const Collection<TypeEntry> types = openFixture(FixturePath).Types();
    for (const TypeEntry& type : types.items()) {
        expected.push_back(ReportFileName(FixturePath, type.Name()));
        EXPECT_EQ(ReadWhole(out.path() / expected.back()), expectedPage(FixturePath, std::string(type.Name())));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(out.fileNames(), expected);  // no temporary files left behind
}

TEST(Cli, OutReplacesCharactersAFileNameCannotHold) {
    const TempFolder out("vantrel-out");
    const std::string path = FixturesDir + "/Escaping.tlb";
    const ToolResult result = RunTool({"--out", out.path().string(), path, "<script>"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(out.fileNames(), std::vector<std::string>{ReportFileName(path, "<script>")});
}

TEST(Cli, OutCreatesAMissingFolderAndReplacesAnOldPage) {
    const TempFolder out("vantrel-out");
    const std::filesystem::path folder = out.path() / "new" / "pages";
    ASSERT_EQ(RunTool({"--out", folder.string(), FixturePath, "FxColor"}).exitStatus, 0);
    std::ofstream(folder / "Fixture.tlb_FxColor.html") << "old";
    ASSERT_EQ(RunTool({"--out", folder.string(), FixturePath, "FxColor"}).exitStatus, 0);
    EXPECT_EQ(ReadWhole(folder / "Fixture.tlb_FxColor.html"), expectedPage(FixturePath, "FxColor"));
}

// Which library of a file, and in which code page: the options as the tool's user gives
// them, checked against the library opened directly with the same choice.
TEST(Cli, ResourceAndCodePageChooseWhatIsRead) {
    const std::string two = FixturesDir + "/TwoLibraries.dll";
    const std::string names = FixturesDir + "/Names.tlb";
    const auto typeList = [](const std::string& path, ReadOptions options) {
        TypeLibraryLoader loader;
        const Collection<TypeEntry> types = loader.OpenFromFile(path, options)->Types();
        std::string list;
        for (const TypeEntry& type : types.items()) list += std::string(type.Name()) + "\n";
        return list;
    };
    struct Case {
        std::vector<std::string> arguments;
        std::string out;
    };
    const Case cases[] = {
        {{two}, typeList(two, {})},
        {{"--resource", "2", two}, typeList(two, ReadOptions{0, 2, {}})},
        {{"--resource=1", two}, typeList(two, ReadOptions{0, 1, {}})},
        {{"--codepage", "1251", names}, typeList(names, ReadOptions{1251, {}, {}})},
        {{"--libraries", two}, "1\tVantrelFixture\t2.5\t" + std::to_string(openFixture(FixturePath).Types().items().size()) +
                                   "\n2\tVantrelSecond\t1.0\t4\n"},
        {{"--codepage", "1252", "--libraries", names}, "-\tVantrelNames\t1.0\t" +
                                                           std::to_string(openFixture(names).Types().items().size()) + "\n"},
    };
    EXPECT_NE(cases[0].out, cases[1].out);
    EXPECT_NE(cases[3].out, typeList(names, {}));  // 1251 reads the German names otherwise
    for (const Case& c : cases) {
        const ToolResult result = RunTool(c.arguments);
        EXPECT_EQ(result.exitStatus, 0) << c.arguments.front() << "\n" << result.err;
        EXPECT_EQ(result.out, c.out) << c.arguments.front();
    }
    // Pages of another resource, into files as on standard output.
    const TempFolder out("vantrel-out");
    ASSERT_EQ(RunTool({"--resource", "2", "--out", out.path().string(), two, "SecondKind"}).exitStatus, 0);
    EXPECT_EQ(ReadWhole(out.path() / "TwoLibraries.dll_SecondKind.html"),
              RunTool({"--resource", "2", two, "SecondKind"}).out);
}

TEST(Cli, HelpAndVersion) {
    const ToolResult help = RunTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("vantrel-report --out DIR [OPTION...] FILE [TYPE...]"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("built-in OLE\nAutomation library (stdole2)"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("VANTREL_IMPORT_PATH"), std::string::npos) << help.out;
    const ToolResult version = RunTool({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "vantrel-report " VANTREL_VERSION "\n");
}

// Imports found on the import path: --import-path folders first, then those of
// VANTREL_IMPORT_PATH; PathImporter.tlb imports libwine's XML and media-player libraries.
TEST(Cli, LooksForImportsOnTheImportPath) {
    const std::string libwine = VANTREL_REAL_LIBS_DIR;
    if (!std::filesystem::exists(libwine + "/wmp.dll")) GTEST_SKIP() << "no libwine libraries";
    const std::string importer = FixturesDir + "/PathImporter.tlb";
    struct Case {
        std::vector<std::string> options;
        std::optional<std::string> environment;  // VANTREL_IMPORT_PATH; none: unset
        bool named;
    };
    const std::vector<Case> cases = {
        {{}, std::nullopt, false},
        {{"--import-path", libwine}, std::nullopt, true},
        {{"--import-path=/nonexistent", "--import-path", libwine}, std::nullopt, true},
        {{}, "/nonexistent::", false},
        {{}, libwine, true},
        {{"--import-path", FixturesDir}, "/nonexistent:" + libwine, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {importer, "IPathUser"});
        if (c.environment) {
            setenv("VANTREL_IMPORT_PATH", c.environment->c_str(), 1);
        } else {
            unsetenv("VANTREL_IMPORT_PATH");
        }
        const ToolResult result = RunTool(arguments);
        unsetenv("VANTREL_IMPORT_PATH");
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        for (const char* name : {"IXMLDOMDocument", "IXMLDOMNode", "IWMPPlayer"})
            EXPECT_EQ(result.out.find(std::string(name) + "</font>") != std::string::npos, c.named)
                << name << " " << c.environment.value_or("unset") << "\n" << result.out;
    }
}

// Every failure: a message on standard error beginning "vantrel-report: ", nothing on
// standard output, and status 1 for errors, 2 for a wrong command line.
TEST(Cli, FailuresGiveAMessageAndAnExitStatus) {
    const TempFolder out("vantrel-out");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string inMessage;
    };
    const std::vector<Case> cases = {
        {{FixturesDir + "/Missing.tlb"}, 1, "Missing.tlb"},
        {{FixturesDir + "/Missing.tlb", "IFxDual"}, 1, "Missing.tlb"},
        {{FixturesDir + "/NotALibrary.txt"}, 1, "NotALibrary.txt"},
        {{FixturesDir + "/Empty.tlb"}, 1, "Empty.tlb"},
        {{FixturePath, "NoSuchType"}, 1, "NoSuchType"},
        {{FixturePath, "IFxDual", "NoSuchType"}, 1, "NoSuchType"},
        {{"--out", out.path().string(), FixturePath, "NoSuchType"}, 1, "NoSuchType"},
        {{"--out", "/proc/vantrel-cannot-be-here", FixturePath, "FxColor"}, 1, "/proc/vantrel-cannot-be-here"},
        {{}, 2, "no component file"},
        {{"--out", out.path().string()}, 2, "no component file"},
        {{"--out"}, 2, "--out"},
        {{"--out="}, 2, "--out"},
        {{"--bogus", FixturePath}, 2, "--bogus"},
        {{"--help", "extra"}, 2, "extra"},
        {{"--version=1"}, 2, "--version"},
        {{"--import-path"}, 2, "--import-path"},
        {{"--import-path=", FixturePath}, 2, "--import-path"},
        {{"--import-path", out.path().string()}, 2, "no component file"},
        {{"--out", out.path().string(), "--help"}, 2, "--help"},
        {{"--codepage", "437", FixturePath}, 2, "437"},
        {{"--codepage=x", FixturePath}, 2, "--codepage"},
        {{"--resource", "0", FixturePath}, 2, "--resource"},
        {{"--resource", "65536", FixturePath}, 2, "--resource"},
        {{"--libraries", FixturePath, "IFxDual"}, 2, "IFxDual"},
        {{"--libraries", "--resource", "1", FixturePath}, 2, "--resource"},
        {{"--out", out.path().string(), "--libraries", FixturePath}, 2, "--libraries"},
        {{"--resource", "3", FixturesDir + "/TwoLibraries.dll"}, 1, "3"},
        {{"--resource", "1", FixturePath}, 1, "Fixture.tlb"},
        {{"--libraries", FixturesDir + "/NoTypeLib.dll"}, 1, "NoTypeLib.dll"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& argument : c.arguments) shown += argument + " ";
        const ToolResult result = RunTool(c.arguments);
        EXPECT_EQ(result.exitStatus, c.status) << shown << "\n" << result.err;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_TRUE(result.err.starts_with("vantrel-report: ")) << shown << "\n" << result.err;
        EXPECT_NE(result.err.find(c.inMessage), std::string::npos) << shown << "\n" << result.err;
    }
    EXPECT_TRUE(out.fileNames().empty());
}

// Type names a file system or a terminal must not take as they stand.
const std::string LongName = std::string(150, 'L') + "\xC3\xA9" + std::string(148, 'M');
const std::vector<EnumType> AwkwardTypes = {
    {"a/b"}, {"a_b"}, {"Foo"}, {"foo"}, {LongName}, {"Esc\x1B[31mRed\nLine"}, {"Broken", true}, {"Last"},
};

std::string writeAwkwardLibrary(const TempFolder& folder) {
    const std::vector<uint8_t> bytes = libraryOfEnums(AwkwardTypes);
    const std::string path = (folder.path() / "Awkward.tlb").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    return path;
}

// What the tool writes to standard output when that is a terminal.
std::string RunOnTerminal(const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(VANTREL_REPORT_EXE)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        ::execv(VANTREL_REPORT_EXE, argv.data());
        ::_exit(127);
    }
    std::string out;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(got));
    ::close(terminal);
    int status = 0;
    ::waitpid(child, &status, 0);
    return out;
}

// --out writes every page it can: a damaged type is named on standard error and the run
// ends with status 3; names that clash once made safe for a file system, names that
// differ only in case and names too long for one each get a page of their own.
TEST(Cli, OutWritesEveryPageItCanEachUnderItsOwnName) {
    const TempFolder folder("vantrel-awkward");
    const std::string library = writeAwkwardLibrary(folder);
    const std::filesystem::path out = folder.path() / "pages";
    const ToolResult result = RunTool({"--out", out.string(), library});
    EXPECT_EQ(result.exitStatus, 3) << result.err;
    EXPECT_NE(result.err.find("no page for Broken: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("type 6 (Broken)"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("1 of 8 pages could not be written."), std::string::npos) << result.err;
    const std::vector<std::string> files = out.empty() ? std::vector<std::string>{} : [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out)) names.push_back(entry.path().filename().string());
        return names;
    }();
    EXPECT_EQ(files.size(), AwkwardTypes.size() - 1);
    std::set<std::string> headings;
    for (const std::string& file : files) {
        EXPECT_LE(file.size(), 255u) << file;
        EXPECT_TRUE(file.ends_with(".html")) << file;
        const std::string page = ReadWhole(out / file);
        const auto start = page.find("  (");
        headings.insert(page.substr(start, page.find(")</h3>") - start));
    }
    // Each type's own page, Foo's and foo's among them.
    EXPECT_EQ(headings.size(), files.size());
    EXPECT_EQ(headings.count("  (Foo"), 1u);
    EXPECT_EQ(headings.count("  (foo"), 1u);
    // The name as listed: the library's code page makes two characters of the two bytes.
    const std::string listed(openFixture(library).Types().items()[4].Name());
    const std::string longFile = ReportFileName(library, listed);
    EXPECT_TRUE(longFile.starts_with("Awkward.tlb_LLLL")) << longFile;
    EXPECT_NE(std::find(files.begin(), files.end(), longFile), files.end()) << longFile;
}

// On a terminal control characters are shown; in pipes names stay as they are; error
// messages always show them.
TEST(Cli, ControlCharactersAreShownOnATerminalAndInMessages) {
    const TempFolder folder("vantrel-awkward");
    const std::string library = writeAwkwardLibrary(folder);
    const std::string onTerminal = RunOnTerminal({library});
    EXPECT_NE(onTerminal.find("Esc\\x1B[31mRed\\x0ALine"), std::string::npos) << onTerminal;
    EXPECT_EQ(onTerminal.find('\x1B'), std::string::npos);
    const ToolResult piped = RunTool({library});
    EXPECT_NE(piped.out.find("Esc\x1B[31mRed\nLine\n"), std::string::npos);
    const ToolResult failed = RunTool({library, "No\x1BSuch"});
    EXPECT_EQ(failed.exitStatus, 1);
    EXPECT_NE(failed.err.find("No\\x1BSuch"), std::string::npos) << failed.err;
    EXPECT_EQ(failed.err.find('\x1B'), std::string::npos);
}

}  // namespace
}  // namespace vantrel
