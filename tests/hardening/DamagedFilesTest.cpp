// Damaged copies of the fixtures and real libraries, made at run time, opened through
// the loader and walked through every member and page. Structural damage fails the open
// with a description naming the file; damage inside one type's records leaves the
// library open and makes that type's member questions answer with the error; loops and
// chains end. None of them crashes or hangs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "ReaderChecks.h"
#include "fuzz/LibraryWalk.h"
#include "typelib/container/NeResources.h"
#include "typelib/container/PeResources.h"
#include "typelib/TypeLibrary.h"

namespace vantrel::testing {
namespace {

constexpr int kSegmentCount = 15;
constexpr int kReferenceSegment = 3;
constexpr int kGuidSegment = 5;
constexpr int kNameSegment = 7;
constexpr int kStringSegment = 8;
constexpr int kTypeDescSegment = 9;
constexpr size_t kEntrySize = 100;
constexpr uint8_t kInterface = 3;
constexpr uint8_t kCoclass = 5;
constexpr uint8_t kAlias = 6;

// The raw libraries the damage is made from: small fixtures and two real ones.
std::vector<std::string> msftInputs() {
    return {fixturePath("Fixture.tlb"), fixturePath("Control.tlb"), fixturePath("Fixture64.tlb"),
            fixturePath("Importer.tlb"), realLibraryPath("stdole2.tlb"), realLibraryPath("activeds.tlb")};
}

// A file's raw library: the file itself, or its TYPELIB resource (Wine ships its .tlb
// files as PE images).
std::vector<uint8_t> msftBytes(const std::string& path) {
    const std::vector<uint8_t> file = bytesOf(path);
    if (!isPeImage(file)) return file;
    const auto resources = findTypeLibResources(file);
    if (!resources || resources->empty()) throw std::runtime_error("no TYPELIB resource in " + path);
    const std::span<const uint8_t> data = defaultTypeLibResource(*resources)->data;
    return std::vector<uint8_t>(data.begin(), data.end());
}

int typeCount(const std::vector<uint8_t>& msft) { return static_cast<int>(getU32(msft, 0x20)); }
uint8_t kindOf(const std::vector<uint8_t>& msft, int type) { return msft[typeInfoOffset(msft, type)] & 0xF; }
size_t segmentLength(const std::vector<uint8_t>& msft, int segment) {
    return getU32(msft, segmentDirectoryOffset(msft) + 16 * static_cast<size_t>(segment) + 4);
}
std::vector<int> typesOfKind(const std::vector<uint8_t>& msft, uint8_t kind) {
    std::vector<int> types;
    for (int i = 0; i < typeCount(msft); ++i)
        if (kindOf(msft, i) == kind) types.push_back(i);
    return types;
}
std::string nameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Every offset where one structure of the file ends and the next begins.
std::set<size_t> structureBoundaries(const std::vector<uint8_t>& msft) {
    std::set<size_t> cuts{0, 4, 0x20, 0x54};
    const size_t directory = segmentDirectoryOffset(msft);
    cuts.insert(directory);
    cuts.insert(directory + 16 * kSegmentCount);
    for (int s = 0; s < kSegmentCount; ++s) {
        const size_t at = segmentOffset(msft, s);
        if (at == 0xFFFFFFFFu) continue;
        cuts.insert(at);
        cuts.insert(at + segmentLength(msft, s));
    }
    for (int i = 0; i < typeCount(msft); ++i) {
        const size_t entry = typeInfoOffset(msft, i);
        cuts.insert(entry);
        const size_t block = getU32(msft, entry + 4);
        if (block + 4 > msft.size()) continue;
        cuts.insert(block);
        cuts.insert(block + 4);
        cuts.insert(block + 4 + getU32(msft, block));
    }
    return cuts;
}

// The furthest byte that the header and the segments reach; member blocks lie beyond.
size_t segmentsEnd(const std::vector<uint8_t>& msft) {
    size_t end = segmentDirectoryOffset(msft) + 16 * kSegmentCount;
    for (int s = 0; s < kSegmentCount; ++s) {
        if (segmentOffset(msft, s) != 0xFFFFFFFFu) end = std::max(end, segmentOffset(msft, s) + segmentLength(msft, s));
    }
    return end;
}

struct Outcome {
    bool opened = false;
    std::string openError;
    hardening::WalkResult walk;
};

Outcome openAndWalk(const std::vector<uint8_t>& bytes, const std::string& name) {
    Outcome outcome;
    outcome.walk = hardening::walkLibrary(bytes, name);
    outcome.opened = outcome.walk.opened;
    outcome.openError = outcome.walk.openError;
    return outcome;
}

// The answer of GetMembers for one type of a damaged library.
Expected<Collection<MemberItem>> membersOf(const std::vector<uint8_t>& bytes, int type) {
    TypeLibraryLoader loader;
    const Expected<TypeLibrary> library = loader.OpenFromBytes(bytes, "Damaged.tlb");
    if (!library) return library.error();
    return library->GetMembers(type, memberview::AllMembers);
}

// A cut inside the header or the segments fails the open; a cut among the member blocks
// leaves the library open with the cut types' member questions answering with the error.
TEST(DamagedFiles, TruncatedAtEveryStructureBoundary) {
    for (const std::string& path : msftInputs()) {
        const std::vector<uint8_t> whole = msftBytes(path);
        const size_t needed = segmentsEnd(whole);
        int memberCuts = 0;
        for (const size_t boundary : structureBoundaries(whole)) {
            for (const size_t cut : {boundary - 1, boundary, boundary + 1}) {
                if (cut >= whole.size()) continue;
                SCOPED_TRACE(nameOf(path) + " cut at " + std::to_string(cut));
                const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
                const Outcome outcome = openAndWalk(bytes, "Cut.tlb");
                EXPECT_EQ(outcome.walk.emptyDescriptions, 0);
                if (cut < needed) {
                    ASSERT_FALSE(outcome.opened);
                    EXPECT_NE(outcome.openError.find("Cut.tlb"), std::string::npos) << outcome.openError;
                } else if (cut + 4 < whole.size()) {
                    ASSERT_TRUE(outcome.opened) << outcome.openError;
                    EXPECT_GT(outcome.walk.errors, 0);
                    ++memberCuts;
                }
            }
        }
        EXPECT_GT(memberCuts, 0) << path;
    }
}

struct Damage {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> apply;
};

// Offsets and counts of every typeinfo entry set past the end of their table, to -2
// (negative, but not the -1 that means "none") and to the largest value.
std::vector<Damage> entryFieldDamage() {
    struct Field {
        const char* name;
        size_t offset;
    };
    const Field fields[] = {{"member block", 0x04}, {"member counts", 0x18}, {"guid", 0x2C},
                            {"name", 0x34},         {"doc string", 0x3C},    {"interface count", 0x4C},
                            {"datatype1", 0x54},    {"datatype2", 0x58}};
    const uint32_t values[] = {0x00FFFFF0u, 0xFFFFFFFEu, 0x7FFFFFFFu};
    std::vector<Damage> damage;
    for (const Field& field : fields) {
        for (const uint32_t value : values) {
            damage.push_back({field.name, [field, value](std::vector<uint8_t>& b) {
                                  for (int i = 0; i < typeCount(b); ++i) putU32(b, typeInfoOffset(b, i) + field.offset, value);
                              }});
        }
    }
    return damage;
}

TEST(DamagedFiles, OffsetsAndCountsOutOfRangeNeverGiveAnUndescribedAnswer) {
    for (const std::string& path : msftInputs()) {
        const std::vector<uint8_t> original = msftBytes(path);
        for (const Damage& damage : entryFieldDamage()) {
            SCOPED_TRACE(nameOf(path) + ": " + damage.name);
            std::vector<uint8_t> bytes = original;
            damage.apply(bytes);
            const Outcome outcome = openAndWalk(bytes, "Damaged.tlb");
            EXPECT_EQ(outcome.walk.emptyDescriptions, 0);
            if (!outcome.opened) {
                EXPECT_NE(outcome.openError.find("Damaged.tlb"), std::string::npos) << outcome.openError;
            }
        }
    }
}

TEST(DamagedFiles, MemberBlockPastTheEndFailsOnlyThatTypesMembers) {
    for (const std::string& path : msftInputs()) {
        SCOPED_TRACE(nameOf(path));
        std::vector<uint8_t> bytes = msftBytes(path);
        int damaged = -1;
        for (int i = 0; i < typeCount(bytes) && damaged < 0; ++i)
            if (getU32(bytes, typeInfoOffset(bytes, i) + 0x18) != 0) damaged = i;
        ASSERT_GE(damaged, 0);
        putU32(bytes, typeInfoOffset(bytes, damaged) + 4, static_cast<uint32_t>(bytes.size()) - 2);
        const auto members = membersOf(bytes, damaged);
        ASSERT_FALSE(members);
        EXPECT_NE(members.error().description.find("member"), std::string::npos) << members.error().description;
        EXPECT_EQ(openAndWalk(bytes, "Damaged.tlb").walk.emptyDescriptions, 0);
    }
}

// An interface's base is named by its typeinfo offset in datatype1.
TEST(DamagedFiles, BaseInterfaceCyclesAreErrorsOfTheTypesInTheCycle) {
    for (const std::string& path : msftInputs()) {
        const std::vector<uint8_t> original = msftBytes(path);
        const std::vector<int> interfaces = typesOfKind(original, kInterface);
        if (interfaces.size() < 2) continue;
        const int a = interfaces[0];
        const int b = interfaces[1];
        const Damage cycles[] = {
            {"itself", [a](auto& bytes) { putU32(bytes, typeInfoOffset(bytes, a) + 0x54, static_cast<uint32_t>(a * kEntrySize)); }},
            {"two interfaces",
             [a, b](auto& bytes) {
                 putU32(bytes, typeInfoOffset(bytes, a) + 0x54, static_cast<uint32_t>(b * kEntrySize));
                 putU32(bytes, typeInfoOffset(bytes, b) + 0x54, static_cast<uint32_t>(a * kEntrySize));
             }},
        };
        for (const Damage& cycle : cycles) {
            SCOPED_TRACE(nameOf(path) + ": base is " + cycle.name);
            std::vector<uint8_t> bytes = original;
            cycle.apply(bytes);
            const auto members = membersOf(bytes, a);
            ASSERT_FALSE(members);
            EXPECT_FALSE(members.error().description.empty());
            EXPECT_EQ(openAndWalk(bytes, "Damaged.tlb").walk.emptyDescriptions, 0);
        }
    }
}

// A coclass's interfaces are a chain in the reference table from datatype1; each entry
// starts with the interface's reference and ends with the offset of the next one.
TEST(DamagedFiles, CoclassWhoseDefaultInterfaceIsItselfEnds) {
    for (const std::string& path : msftInputs()) {
        const std::vector<uint8_t> original = msftBytes(path);
        for (const int coclass : typesOfKind(original, kCoclass)) {
            SCOPED_TRACE(nameOf(path) + ": coclass " + std::to_string(coclass));
            std::vector<uint8_t> bytes = original;
            const uint32_t first = getU32(bytes, typeInfoOffset(bytes, coclass) + 0x54);
            if (first + 16 > segmentLength(bytes, kReferenceSegment)) continue;
            putU32(bytes, segmentOffset(bytes, kReferenceSegment) + first, static_cast<uint32_t>(coclass * kEntrySize));
            const Outcome outcome = openAndWalk(bytes, "Damaged.tlb");
            EXPECT_EQ(outcome.walk.emptyDescriptions, 0);
            if (!outcome.opened) {
                EXPECT_FALSE(outcome.openError.empty());
            }
        }
    }
}

// Type descriptions are 8-byte entries: the variant type, then the element (an offset
// in the same table) or the user-defined type's reference.
TEST(DamagedFiles, TypeDescriptionAndAliasCyclesEnd) {
    const Damage cycles[] = {
        {"two descriptions pointing at each other",
         [](auto& b) {
             const size_t table = segmentOffset(b, kTypeDescSegment);
             if (segmentLength(b, kTypeDescSegment) < 16) return;
             putU32(b, table, vt::Ptr);
             putU32(b, table + 4, 8);
             putU32(b, table + 8, vt::SafeArray);
             putU32(b, table + 12, 0);
         }},
        {"alias of itself, and an alias of that one",
         [](auto& b) {
             const std::vector<int> aliases = typesOfKind(b, kAlias);
             const size_t table = segmentOffset(b, kTypeDescSegment);
             if (aliases.empty() || segmentLength(b, kTypeDescSegment) < 8) return;
             putU32(b, table, vt::UserDefined);
             putU32(b, table + 4, static_cast<uint32_t>(aliases[0] * kEntrySize));
             for (const int alias : aliases) putU32(b, typeInfoOffset(b, alias) + 0x54, 0);
         }},
    };
    for (const std::string& path : msftInputs()) {
        for (const Damage& cycle : cycles) {
            SCOPED_TRACE(nameOf(path) + ": " + cycle.name);
            std::vector<uint8_t> bytes = msftBytes(path);
            cycle.apply(bytes);
            const Outcome outcome = openAndWalk(bytes, "Damaged.tlb");
            EXPECT_EQ(outcome.walk.emptyDescriptions, 0);
            if (!outcome.opened) {
                EXPECT_NE(outcome.openError.find("Damaged.tlb"), std::string::npos) << outcome.openError;
            }
        }
    }
}

// The name and GUID tables chain their entries by hash; the reader looks names and GUIDs
// up by offset and never walks the chains, so chains that loop change nothing.
TEST(DamagedFiles, LoopingHashChainsChangeNothing) {
    for (const std::string& path : msftInputs()) {
        SCOPED_TRACE(nameOf(path));
        const std::vector<uint8_t> original = msftBytes(path);
        std::vector<uint8_t> bytes = original;
        const size_t guids = segmentOffset(bytes, kGuidSegment);
        for (size_t at = 0; at + 24 <= segmentLength(bytes, kGuidSegment); at += 24)
            putU32(bytes, guids + at + 20, static_cast<uint32_t>(at));
        const size_t names = segmentOffset(bytes, kNameSegment);
        for (size_t at = 0; at + 12 <= segmentLength(bytes, kNameSegment);) {
            putU32(bytes, names + at + 4, static_cast<uint32_t>(at));
            at += (12 + bytes[names + at + 8] + 3) & ~size_t{3};
        }
        const Outcome damaged = openAndWalk(bytes, "Damaged.tlb");
        const Outcome intact = openAndWalk(original, "Damaged.tlb");
        ASSERT_TRUE(damaged.opened) << damaged.openError;
        EXPECT_EQ(damaged.walk.operations, intact.walk.operations);
        EXPECT_EQ(damaged.walk.errors, intact.walk.errors);
    }
}

// A name's length byte or a string's length word that reaches past its table. Without
// its name a type can't be listed, so the open fails; a damaged doc string only costs
// the type its members.
TEST(DamagedFiles, NamesAndStringsLongerThanTheirTableAreErrors) {
    struct LengthDamage {
        const char* name;
        bool failsOpen;
        std::function<void(std::vector<uint8_t>&)> apply;
    };
    const LengthDamage cases[] = {
        {"type name", true,
         [](auto& b) {
             const uint32_t last = static_cast<uint32_t>(segmentLength(b, kNameSegment)) - 12;
             putU32(b, typeInfoOffset(b, 0) + 0x34, last);
             b[segmentOffset(b, kNameSegment) + last + 8] = 0xFF;
         }},
        {"type doc string", false,
         [](auto& b) {
             const uint32_t last = static_cast<uint32_t>(segmentLength(b, kStringSegment)) - 2;
             putU32(b, typeInfoOffset(b, 0) + 0x3C, last);
             putU16(b, segmentOffset(b, kStringSegment) + last, 0xFFFF);
         }},
    };
    for (const std::string& path : msftInputs()) {
        for (const LengthDamage& c : cases) {
            SCOPED_TRACE(nameOf(path) + ": " + c.name);
            std::vector<uint8_t> bytes = msftBytes(path);
            if (segmentLength(bytes, kStringSegment) < 2) continue;
            c.apply(bytes);
            const Outcome outcome = openAndWalk(bytes, "Damaged.tlb");
            EXPECT_EQ(outcome.walk.emptyDescriptions, 0);
            if (c.failsOpen) {
                ASSERT_FALSE(outcome.opened);
                EXPECT_NE(outcome.openError.find("Damaged.tlb"), std::string::npos) << outcome.openError;
            } else {
                const auto members = membersOf(bytes, 0);
                ASSERT_FALSE(members);
                EXPECT_NE(members.error().description.find("string"), std::string::npos) << members.error().description;
            }
        }
    }
}

TEST(DamagedFiles, EmptyFilesFoldersAndMissingFilesAreErrors) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vantrel-hardening";
    std::filesystem::create_directories(folder);
    { std::ofstream(folder / "Empty.tlb"); }
    for (const std::filesystem::path& path : {folder / "Empty.tlb", folder, folder / "Missing.tlb"}) {
        SCOPED_TRACE(path.string());
        TypeLibraryLoader loader;
        const Expected<TypeLibrary> library = loader.OpenFromFile(path.string());
        ASSERT_FALSE(library);
        EXPECT_NE(library.error().description.find(path.filename().string()), std::string::npos)
            << library.error().description;
    }
    std::filesystem::remove_all(folder);
}

// The second-level directories (one per resource type), as offsets from the root.
std::vector<size_t> idDirectories(const std::vector<uint8_t>& pe, size_t root) {
    const size_t entries = (pe.at(root + 12) | (pe.at(root + 13) << 8)) + (pe.at(root + 14) | (pe.at(root + 15) << 8));
    std::vector<size_t> directories;
    for (size_t i = 0; i < entries; ++i) {
        const uint32_t target = getU32(pe, root + 16 + 8 * i + 4);
        if (target & 0x80000000u) directories.push_back(target & 0x7FFFFFFFu);
    }
    return directories;
}

// Directory entries follow the 16-byte directory header; an entry's second word is a
// subdirectory's offset from the root, with the top bit set.
TEST(DamagedFiles, ResourceTreeLoopsEndWithAnError) {
    for (const char* name : {"Fixture32.dll", "Fixture64.dll"}) {
        const std::vector<uint8_t> original = bytesOf(fixturePath(name));
        const size_t root = resourceRootOffset(original);
        const Damage loops[] = {
            {"a type entry pointing at the root", [root](auto& b) { putU32(b, root + 20, 0x80000000u); }},
            {"an id entry pointing at the root",
             [root](auto& b) {
                 for (const size_t ids : idDirectories(b, root)) putU32(b, root + ids + 20, 0x80000000u);
             }},
            {"an id entry pointing at its own directory",
             [root](auto& b) {
                 for (const size_t ids : idDirectories(b, root)) putU32(b, root + ids + 20, 0x80000000u | static_cast<uint32_t>(ids));
             }},
        };
        for (const Damage& loop : loops) {
            SCOPED_TRACE(std::string(name) + ": " + loop.name);
            std::vector<uint8_t> bytes = original;
            loop.apply(bytes);
            const Outcome outcome = openAndWalk(bytes, "Damaged.dll");
            ASSERT_FALSE(outcome.opened);
            EXPECT_NE(outcome.openError.find("Damaged.dll"), std::string::npos) << outcome.openError;
        }
    }
}

// SLTG libraries of the corpus: the TYPELIB resources of two PE files and an NE file.
std::vector<std::string> sltgInputs() {
    return {corpusPath("GRID32.OCX"), corpusPath("OLEPRO32.DLL"), corpusPath("GRID16.OCX")};
}

std::vector<uint8_t> sltgBytes(const std::string& path) {
    const std::vector<uint8_t> file = bytesOf(path);
    const auto resources = isNeImage(file) ? findNeTypeLibResources(file) : findTypeLibResources(file);
    if (!resources || resources->empty()) throw std::runtime_error("no TYPELIB resource in " + path);
    const std::span<const uint8_t> data = defaultTypeLibResource(*resources)->data;
    return std::vector<uint8_t>(data.begin(), data.end());
}

uint16_t getU16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

// An SLTG block: its directory entry {u32 length, u16 name, u16 next} and where it lies.
struct SltgBlockPlace {
    size_t entry = 0;
    size_t start = 0;
    size_t length = 0;
};

// The blocks in chain order, the library block last, found the plain way.
std::vector<SltgBlockPlace> sltgChain(const std::vector<uint8_t>& b) {
    const size_t names = 0x24 + 8 * (getU16(b, 4) - size_t{1});
    size_t start = names + getU16(b, 8) + 9;
    std::vector<SltgBlockPlace> chain;
    for (size_t k = getU16(b, 0x0A); k != 0;) {
        const size_t entry = 0x24 + 8 * (k - 1);
        chain.push_back({entry, start, getU32(b, entry)});
        start += chain.back().length;
        k = getU16(b, entry + 6);
    }
    return chain;
}

std::vector<SltgBlockPlace> sltgTypeBlocks(const std::vector<uint8_t>& b) {
    std::vector<SltgBlockPlace> chain = sltgChain(b);
    chain.pop_back();
    return chain;
}

// A typeinfo block's member header (u16, u16, u8, u32 size) and the tail after its area.
size_t memberHeaderOf(const std::vector<uint8_t>& b, const SltgBlockPlace& block) {
    return block.start + getU32(b, block.start + 0x0A);
}
size_t tailOf(const std::vector<uint8_t>& b, const SltgBlockPlace& block) {
    const size_t header = memberHeaderOf(b, block);
    return header + 9 + getU32(b, header + 5);
}

bool endsWithFullStop(const std::string& text) { return !text.empty() && text.back() == '.'; }

TEST(DamagedFiles, SltgTruncatedAtEveryBlockBoundaryFailsTheOpen) {
    for (const std::string& path : sltgInputs()) {
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus";
        const std::vector<uint8_t> whole = sltgBytes(path);
        const std::vector<SltgBlockPlace> chain = sltgChain(whole);
        std::set<size_t> cuts{0, 4, 0x24, chain.front().start};
        for (const SltgBlockPlace& block : chain) cuts.insert(block.start + block.length / 2);
        for (const size_t cut : cuts) {
            SCOPED_TRACE(nameOf(path) + " cut at " + std::to_string(cut));
            const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
            const Outcome outcome = openAndWalk(bytes, "Cut.tlb");
            ASSERT_FALSE(outcome.opened);
            EXPECT_NE(outcome.openError.find("Cut.tlb"), std::string::npos) << outcome.openError;
        }
        // The CompObj data after the last block is not needed.
        const SltgBlockPlace& last = chain.back();
        const std::vector<uint8_t> blocksOnly(whole.begin(), whole.begin() + static_cast<long>(last.start + last.length));
        EXPECT_TRUE(openAndWalk(blocksOnly, "Cut.tlb").opened) << nameOf(path);
    }
}

TEST(DamagedFiles, SltgDamageFailsTheOpenOrTheDamagedTypesMembers) {
    enum class Expect { FailsOpen, EveryTypesMembersFail, SomeAnswerFails, Opens };
    struct SltgDamage {
        const char* name;
        Expect expect;
        std::function<void(std::vector<uint8_t>&)> apply;
    };
    const SltgDamage cases[] = {
        {"block directory longer than the file", Expect::FailsOpen, [](auto& b) { putU16(b, 4, 0xFFFF); }},
        {"block chain in a circle", Expect::FailsOpen,
         [](auto& b) { putU16(b, sltgChain(b).front().entry + 6, getU16(b, 0x0A)); }},
        {"block longer than the file", Expect::FailsOpen, [](auto& b) { putU32(b, sltgChain(b).front().entry, 0x7FFFFFF0u); }},
        {"library block without its signature", Expect::FailsOpen, [](auto& b) { putU16(b, sltgChain(b).back().start, 0); }},
        {"member counts of 65,535", Expect::EveryTypesMembersFail,
         [](auto& b) {
             for (const SltgBlockPlace& block : sltgTypeBlocks(b))
                 for (size_t word = 0; word < 3; ++word) putU16(b, tailOf(b, block) + 2 * word, 0xFFFF);
         }},
        {"member areas larger than their blocks", Expect::EveryTypesMembersFail,
         [](auto& b) {
             for (const SltgBlockPlace& block : sltgTypeBlocks(b)) putU32(b, memberHeaderOf(b, block) + 5, 0xFFFFFF00u);
         }},
        {"block names that no type names", Expect::EveryTypesMembersFail,
         [](auto& b) {
             const size_t names = 0x24 + 8 * (getU16(b, 4) - size_t{1});
             for (const SltgBlockPlace& block : sltgTypeBlocks(b)) b.at(names + getU16(b, block.entry + 4)) = '?';
         }},
        {"reference tables without their mark", Expect::SomeAnswerFails,
         [](auto& b) {
             for (const SltgBlockPlace& block : sltgTypeBlocks(b))
                 if (getU32(b, block.start + 2) != 0xFFFFFFFFu) b.at(block.start + getU32(b, block.start + 2)) = 0;
         }},
        {"function and variable chains that loop", Expect::Opens,
         [](auto& b) {
             for (const SltgBlockPlace& block : sltgTypeBlocks(b)) {
                 const size_t area = memberHeaderOf(b, block) + 9;
                 for (size_t word = 4; word < 6; ++word) {
                     const uint16_t first = getU16(b, tailOf(b, block) + 2 * word);
                     if (first != 0xFFFF) putU16(b, area + first + 2, first);
                 }
             }
         }},
    };
    for (const std::string& path : sltgInputs()) {
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus";
        const std::vector<uint8_t> original = sltgBytes(path);
        for (const SltgDamage& damage : cases) {
            SCOPED_TRACE(nameOf(path) + ": " + damage.name);
            std::vector<uint8_t> bytes = original;
            damage.apply(bytes);
            const Outcome outcome = openAndWalk(bytes, "Damaged.tlb");
            EXPECT_EQ(outcome.walk.emptyDescriptions, 0);
            if (damage.expect == Expect::FailsOpen) {
                ASSERT_FALSE(outcome.opened);
                EXPECT_EQ(outcome.openError.rfind("The type library 'Damaged.tlb' is damaged: ", 0), 0u) << outcome.openError;
                EXPECT_TRUE(endsWithFullStop(outcome.openError)) << outcome.openError;
                continue;
            }
            ASSERT_TRUE(outcome.opened) << outcome.openError;
            if (damage.expect == Expect::SomeAnswerFails) {
                EXPECT_GT(outcome.walk.errors, 0);
            }
            if (damage.expect != Expect::EveryTypesMembersFail) continue;
            for (int type = 0; type < 2; ++type) {
                const auto members = membersOf(bytes, type);
                ASSERT_FALSE(members);
                EXPECT_NE(members.error().description.find("Damaged.tlb"), std::string::npos);
                EXPECT_TRUE(endsWithFullStop(members.error().description)) << members.error().description;
            }
        }
    }
}

TEST(DamagedFiles, SltgBlockDirectoryPastTheEndNamesBothSizes) {
    const std::string path = corpusPath("GRID32.OCX");
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus";
    std::vector<uint8_t> bytes = sltgBytes(path);
    bytes.resize(2304);
    putU16(bytes, 4, 41);
    putU16(bytes, 8, 2000);
    const Outcome outcome = openAndWalk(bytes, "Damaged.tlb");
    EXPECT_EQ(outcome.openError, "The type library 'Damaged.tlb' is damaged: its block directory names 40 blocks, but the "
                                 "file ends after 2,304 bytes.");
}

// The NE resource table of GRID16.OCX: where it starts, and the 12-byte entry of its
// TYPELIB resource ({u16 offset, u16 length, u16 flags, u16 id, u32}).
size_t neResourceTable(const std::vector<uint8_t>& ne) {
    const size_t header = getU32(ne, 0x3C);
    return header + getU16(ne, header + 0x24);
}
size_t neTypeLibEntry(const std::vector<uint8_t>& ne) {
    const size_t table = neResourceTable(ne);
    for (size_t group = table + 2; getU16(ne, group) != 0; group += 8 + 12 * size_t{getU16(ne, group + 2)}) {
        const uint16_t type = getU16(ne, group);
        if (!(type & 0x8000) && ne.at(table + type) == 7 && ne.at(table + type + 1) == 'T') return group + 8;
    }
    throw std::runtime_error("no TYPELIB group");
}

TEST(DamagedFiles, NeResourceDamageFailsTheOpenNamingTheFile) {
    const std::string path = corpusPath("GRID16.OCX");
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus";
    struct NeDamage {
        const char* name;
        const char* expected;  // in the description
        std::function<void(std::vector<uint8_t>&)> apply;
    };
    const NeDamage cases[] = {
        {"resource table past the end", "The NE file 'Damaged.ocx' is damaged",
         [](auto& b) { putU16(b, getU32(b, 0x3C) + 0x24, 0xFFF0); b.resize(getU32(b, 0x3C) + 0x100); }},
        {"alignment shift beyond 16", "alignment shift", [](auto& b) { putU16(b, neResourceTable(b), 40); }},
        {"a type group counting more entries than the file holds", "The NE file 'Damaged.ocx' is damaged",
         [](auto& b) { putU16(b, neTypeLibEntry(b) - 6, 0xFFFF); }},
        {"TYPELIB data starting past the end", "past the end of the file",
         [](auto& b) { putU16(b, neTypeLibEntry(b), 0xFFFF); }},
        {"no TYPELIB resource", "has no TYPELIB resource",
         [](auto& b) { b.at(neResourceTable(b) + getU16(b, neTypeLibEntry(b) - 8) + 1) = 'X'; }},
        {"TYPELIB data that is no library", "holds no type library",
         [](auto& b) { b.at(static_cast<size_t>(getU16(b, neTypeLibEntry(b))) << getU16(b, neResourceTable(b))) = 'X'; }},
    };
    const std::vector<uint8_t> original = bytesOf(path);
    for (const NeDamage& damage : cases) {
        SCOPED_TRACE(damage.name);
        std::vector<uint8_t> bytes = original;
        damage.apply(bytes);
        const Outcome outcome = openAndWalk(bytes, "Damaged.ocx");
        ASSERT_FALSE(outcome.opened);
        EXPECT_NE(outcome.openError.find(damage.expected), std::string::npos) << outcome.openError;
        EXPECT_NE(outcome.openError.find("Damaged.ocx"), std::string::npos) << outcome.openError;
    }
    // The resource's length is rounded up to the alignment: a file that ends inside that
    // padding still opens.
    const size_t entry = neTypeLibEntry(original);
    const uint16_t shift = getU16(original, neResourceTable(original));
    const size_t start = static_cast<size_t>(getU16(original, entry)) << shift;
    const std::vector<uint8_t> blob = sltgBytes(path);
    const std::vector<SltgBlockPlace> chain = sltgChain(blob);
    const size_t libraryEnd = start + chain.back().start + chain.back().length;
    const std::vector<uint8_t> cut(original.begin(), original.begin() + static_cast<long>(libraryEnd));
    EXPECT_TRUE(openAndWalk(cut, "Cut.ocx").opened);
}

}  // namespace
}  // namespace vantrel::testing
