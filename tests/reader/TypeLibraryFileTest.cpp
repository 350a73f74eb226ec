// Opening a file reads a large PE image in parts; the library or error must be exactly
// the one that reading the whole file gives, for intact, real and damaged files alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "ReaderChecks.h"
#include "tools/conformance/OurDump.h"
#include "typelib/file/FileBytes.h"
#include "typelib/read/LibraryReader.h"
#include "typelib/container/PeResources.h"
#include "typelib/TypeLibrary.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// A library as its whole dump, an error as its number and text.
std::string outcomeText(const Expected<LibraryInfo>& result, const std::string& path) {
    if (!result) return "error " + std::to_string(result.error().number) + ": " + result.error().description;
    const TypeLibrary library(std::make_shared<const LoadedLibrary>(LoadedLibrary{path, *result, nullptr}));
    return conformance::dumpLibrary(library);
}

std::string wholeFileOutcome(const std::string& path) {
    Expected<FileBuffer> bytes = readWholeFile(path);
    if (!bytes) return outcomeText(bytes.error(), path);
    return outcomeText(readTypeLibrary(*bytes, path), path);
}

std::string fileOutcome(const std::string& path, const FileReadLimits& limits, FileReadStats* stats = nullptr) {
    return outcomeText(readTypeLibraryFile(path, {}, limits, stats), path);
}

bool isPeWithTypeLib(const std::string& path) {
    const std::vector<uint8_t> bytes = bytesOf(path);
    if (!isPeImage(bytes)) return false;
    const auto resources = findTypeLibResources(bytes);
    return resources && !resources->empty();
}

struct LimitCase {
    const char* name;
    FileReadLimits limits;
    bool fixturesInParts;  // the PE fixtures are read in parts, not whole
};

// The small fixtures are read whole by default. Read in parts, the head holds all their
// headers, only some (their section tables end past 0x100 bytes), or none.
const LimitCase kLimitCases[] = {
    {"default limits", FileReadLimits{}, false},
    {"every file in parts", FileReadLimits{0, 64 * 1024}, true},
    {"head of 0x100 bytes", FileReadLimits{0, 0x100}, false},
    {"head of 0x40 bytes", FileReadLimits{0, 0x40}, false},
};

TEST(TypeLibraryFile, FixturesGiveTheWholeFileOutcome) {
    std::vector<std::string> paths = {fixturePath("no-such-file.tlb"), VANTREL_FIXTURES_DIR};
    for (const auto& entry : fs::directory_iterator(VANTREL_FIXTURES_DIR)) {
        if (entry.is_regular_file()) paths.push_back(entry.path().string());
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string expected = wholeFileOutcome(path);
        const bool isFile = fs::is_regular_file(path);
        const bool isPe = isFile && isPeImage(bytesOf(path));
        for (const LimitCase& c : kLimitCases) {
            SCOPED_TRACE(c.name);
            FileReadStats stats;
            EXPECT_EQ(fileOutcome(path, c.limits, &stats), expected);
            if (isFile) {
                EXPECT_EQ(stats.readWhole, !(isPe && c.fixturesInParts));
            }
        }
    }
}

TEST(TypeLibraryFile, RealLibrariesGiveTheWholeFileOutcome) {
    if (!fs::is_directory(VANTREL_REAL_LIBS_DIR)) GTEST_SKIP() << "no real libraries";
    int inParts = 0;
    for (const auto& entry : fs::directory_iterator(VANTREL_REAL_LIBS_DIR)) {
        if (!entry.is_regular_file()) continue;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        const std::string expected = wholeFileOutcome(path);
        for (const LimitCase& c : {kLimitCases[0], kLimitCases[1]}) {
            SCOPED_TRACE(c.name);
            FileReadStats stats;
            EXPECT_EQ(fileOutcome(path, c.limits, &stats), expected);
            // Every PE image with a library is found from its parts; none falls back.
            if (c.limits.partsFrom == 0 && isPeWithTypeLib(path)) {
                EXPECT_FALSE(stats.readWhole);
                ++inParts;
            }
        }
    }
    EXPECT_GE(inParts, 45);
}

TEST(TypeLibraryFile, LargeImageReadsLittleOfTheFile) {
    const std::string path = realLibraryPath("msxml3.dll");
    if (!fs::exists(path)) GTEST_SKIP() << "no real libraries";
    FileReadStats stats;
    Expected<LibraryInfo> library = readTypeLibraryFile(path, {}, FileReadLimits{}, &stats);
    ASSERT_TRUE(library) << library.error().description;
    EXPECT_EQ(library->name, "MSXML2");
    EXPECT_FALSE(stats.readWhole);
    EXPECT_LT(stats.bytesRead, fs::file_size(path) / 20);
}

// A folder of damaged copies, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        path_ = fs::temp_directory_path() / ("vantrel-file-read-" + std::to_string(std::random_device{}()));
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string file = (path_ / name).string();
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    fs::path path_;
};

// The file offset of the first TYPELIB resource's data, which lies in the resource section.
size_t dataFileOffset(const std::vector<uint8_t>& pe) {
    const size_t section = resourceSectionHeaderOffset(pe);
    return getU32(pe, typeLibDataEntryOffset(pe)) - getU32(pe, section + 12) + getU32(pe, section + 20);
}

struct Damage {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> apply;
    bool opens;      // the whole-file read still finds the library
    bool readWhole;  // the parts can't tell the outcome, so the whole file is read
};

TEST(TypeLibraryFile, DamagedImagesGiveTheWholeFileOutcome) {
    const Damage damages[] = {
        {"intact", [](auto&) {}, true, false},
        {"resource data past the end",
         [](auto& b) { putU32(b, typeLibDataEntryOffset(b) + 4, static_cast<uint32_t>(b.size())); }, false, true},
        {"resource data in no section", [](auto& b) { putU32(b, typeLibDataEntryOffset(b), 0x7FFFFFF0u); }, false, true},
        {"data entry past the resource section",
         [](auto& b) {
             // A copy of the data entry appended to the file: the whole-file walk reads
             // the tree up to the end of the file, the section holds no such entry.
             const size_t entry = typeLibDataEntryOffset(b);
             const std::vector<uint8_t> copy(b.begin() + static_cast<std::ptrdiff_t>(entry),
                                             b.begin() + static_cast<std::ptrdiff_t>(entry + 16));
             const size_t link = typeLibDataEntryLink(b);
             putU32(b, link, static_cast<uint32_t>(b.size() - resourceRootOffset(b)));
             b.insert(b.end(), copy.begin(), copy.end());
         },
         true, true},
        {"resource tree loop",
         [](auto& b) { putU32(b, resourceRootOffset(b) + 16 + 4, 0x80000000u); }, false, true},
        {"resource tree in the headers", [](auto& b) { putU32(b, resourceDirectoryEntryOffset(b), 0x40); }, false, true},
        {"resource section past the end",
         [](auto& b) { putU32(b, resourceSectionHeaderOffset(b) + 20, 0x7FFFFFF0u); }, false, true},
        {"truncated in the resource data", [](auto& b) { b.resize(dataFileOffset(b) + 0x100); }, false, true},
        {"truncated at the resource section",
         [](auto& b) { b.resize(getU32(b, resourceSectionHeaderOffset(b) + 20)); }, false, true},
        {"truncated in the headers", [](auto& b) { b.resize(getU32(b, 0x3C) + 0x30); }, false, true},
        {"no resource directory",
         [](auto& b) {
             putU32(b, resourceDirectoryEntryOffset(b), 0);
             putU32(b, resourceDirectoryEntryOffset(b) + 4, 0);
         },
         false, false},
        {"resource is no type library", [](auto& b) { putU32(b, dataFileOffset(b), 0x58585858u); }, false, false},
        {"damaged type library in the resource",
         [](auto& b) { putU32(b, dataFileOffset(b) + 0x20, 0x7FFFFFFFu); }, false, false},
    };
    std::vector<std::string> inputs = {fixturePath("Fixture32.dll"), fixturePath("Fixture64.dll")};
    if (fs::exists(realLibraryPath("stdole2.tlb"))) inputs.push_back(realLibraryPath("stdole2.tlb"));
    const TempFolder folder;
    for (const std::string& input : inputs) {
        for (const Damage& damage : damages) {
            SCOPED_TRACE(input + ": " + damage.name);
            std::vector<uint8_t> bytes = bytesOf(input);
            damage.apply(bytes);
            const std::string path = folder.write("Damaged.dll", bytes);
            const std::string expected = wholeFileOutcome(path);
            EXPECT_EQ(expected.rfind("error ", 0) != 0, damage.opens) << expected.substr(0, 300);
            FileReadStats stats;
            EXPECT_EQ(fileOutcome(path, FileReadLimits{0, 64 * 1024}, &stats), expected);
            EXPECT_EQ(stats.readWhole, damage.readWhole);
        }
    }
}

// Resource 1 is the one read, yet damage to resource 2 fails the whole-file read; the
// parts must notice it too.
TEST(TypeLibraryFile, DamageToTheResourceNotReadGivesTheWholeFileError) {
    const std::function<void(std::vector<uint8_t>&)> damages[] = {
        [](auto& b) { putU32(b, typeLibDataEntryOffset(b, 1) + 4, static_cast<uint32_t>(b.size())); },
        [](auto& b) { putU32(b, typeLibDataEntryOffset(b, 1), 0x7FFFFFF0u); },
    };
    const TempFolder folder;
    for (const auto& damage : damages) {
        std::vector<uint8_t> bytes = bytesOf(fixturePath("TwoLibraries.dll"));
        damage(bytes);
        const std::string path = folder.write("TwoLibraries.dll", bytes);
        const std::string expected = wholeFileOutcome(path);
        EXPECT_EQ(expected.rfind("error ", 0), 0u) << expected.substr(0, 300);
        FileReadStats stats;
        EXPECT_EQ(fileOutcome(path, FileReadLimits{0, 64 * 1024}, &stats), expected);
        EXPECT_TRUE(stats.readWhole);
    }
}

// A file that another program cuts short while it is open: what lay past its new end
// reads as zeros, and a library opened from it answers for every type, with members or
// with an error, instead of the process dying of SIGBUS.
TEST(TypeLibraryFile, AFileCutShortWhileOpenReadsAsZeros) {
    const TempFolder folder;
    const size_t page = 4096, kept = page + 100;
    const std::string pattern = folder.write("Pattern.bin", std::vector<uint8_t>(5 * page, 0xAB));
    Expected<LibraryFile> file = LibraryFile::open(pattern);
    ASSERT_TRUE(file) << file.error().description;
    const Expected<HeldBytes> held = file->readAll();
    ASSERT_TRUE(held) << held.error().description;
    fs::resize_file(pattern, kept);
    const std::span<const uint8_t> bytes = held->bytes;
    ASSERT_EQ(bytes.size(), 5 * page);
    EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + kept, 0xAB), static_cast<std::ptrdiff_t>(kept));
    EXPECT_EQ(std::count(bytes.begin() + kept, bytes.end(), 0), static_cast<std::ptrdiff_t>(bytes.size() - kept));

    std::vector<std::string> inputs = {fixturePath("Fixture64.dll"), fixturePath("Fixture.tlb")};
    if (fs::exists(realLibraryPath("mshtml.tlb"))) inputs.push_back(realLibraryPath("mshtml.tlb"));
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        const std::string path = folder.write("CutShort" + fs::path(input).extension().string(), bytesOf(input));
        Expected<TypeLibrary> library = TypeLibraryLoader().OpenFromFile(path);
        ASSERT_TRUE(library) << library.error().description;
        fs::resize_file(path, 0);
        size_t answered = 0;
        const Collection<TypeEntry> types = library->Types();
        for (const TypeEntry& type : types.items()) {
            const auto members = library->GetMembers(type.index(), memberview::AllMembers);
            answered += members ? members->items().size() : 1;
        }
        EXPECT_GT(answered, 0u);
    }
}

}  // namespace
}  // namespace vantrel::testing
