// Damaged and hostile input: every case gives an error with a description (or, where
// only one type is hit, that type's member error), never a crash or a huge allocation.
#include <gtest/gtest.h>

#include <functional>

#include "ReaderChecks.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::testing {
namespace {

constexpr int kReferenceSegment = 3;
constexpr int kNameSegment = 7;
constexpr int kTypeDescSegment = 9;

std::vector<uint8_t> fixtureBytes() { return bytesOf(fixturePath("Fixture.tlb")); }

// The first type with members, and its typeinfo entry offset.
size_t firstTypeWithMembers(const std::vector<uint8_t>& msft) {
    for (int i = 0; i < static_cast<int>(getU32(msft, 0x20)); ++i) {
        if (getU32(msft, typeInfoOffset(msft, i) + 0x18) != 0) return typeInfoOffset(msft, i);
    }
    throw std::runtime_error("no type with members");
}

struct OpenFailure {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* expectedText;
};

// A message a person understands: the file named once, what is wrong, a full stop at
// the end, and a number to look up.
void expectPlainMessage(const Error& error, const std::string& file, const std::string& expectedText) {
    const std::string& text = error.description;
    EXPECT_NE(error.number, 0) << text;
    const size_t named = text.find("'" + file + "'");
    EXPECT_NE(named, std::string::npos) << text;
    EXPECT_EQ(text.find(file, named + file.size() + 1), std::string::npos) << "named twice: " << text;
    EXPECT_TRUE(text.ends_with(".")) << text;
    EXPECT_NE(text.find(expectedText), std::string::npos) << text;
}

TEST(DamagedInput, StructuralDamageFailsTheOpenWithADescription) {
    const OpenFailure cases[] = {
        {"zero bytes", [](auto& b) { b.clear(); }, "neither"},
        {"header cut short", [](auto& b) { b.resize(0x40); }, "it ends after 64 bytes, before its 84-byte header does."},
        {"type count too large", [](auto& b) { putU32(b, 0x20, 0x7FFFFFFF); }, "types"},
        {"negative type count", [](auto& b) { putU32(b, 0x20, 0xFFFFFFF0u); }, "types"},
        {"segment past the end",
         [](auto& b) { putU32(b, segmentDirectoryOffset(b) + 16 * kNameSegment, static_cast<uint32_t>(b.size())); },
         "name table"},
        {"segment length too large",
         [](auto& b) { putU32(b, segmentDirectoryOffset(b) + 16 * kNameSegment + 4, 0x7FFFFFF0u); },
         "but the name table takes 2,147,483,632 bytes from offset"},
        {"typeinfo table too short",
         [](auto& b) { putU32(b, segmentDirectoryOffset(b) + 4, 100); }, "typeinfo table"},
        {"type name past the end", [](auto& b) { putU32(b, typeInfoOffset(b, 1) + 0x34, 0x00FFFFF0u); }, "type 1"},
        {"unknown type kind", [](auto& b) { b[typeInfoOffset(b, 2)] = 0x0F; }, "type kind"},
        {"library name past the end", [](auto& b) { putU32(b, 0x38, 0x00FFFFF0u); }, "name table"},
        {"unknown system kind", [](auto& b) { putU32(b, 0x14, 0x4F); }, "system kind"},
        {"SLTG signature on an MSFT library", [](auto& b) { b[0] = 'S'; b[1] = 'L'; b[2] = 'T'; b[3] = 'G'; }, "is damaged"},
    };
    for (const OpenFailure& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = fixtureBytes();
        c.damage(bytes);
        Expected<LibraryInfo> library = readTypeLibrary(bytes, "Damaged.tlb");
        ASSERT_FALSE(library);
        expectPlainMessage(library.error(), "Damaged.tlb", c.expectedText);
    }
}

TEST(DamagedInput, DamagedMembersMarkOnlyTheirType) {
    const OpenFailure cases[] = {
        {"member block past the end", [](auto& b) { putU32(b, firstTypeWithMembers(b) + 4, 0x7FFFFFF0u); }, "member block"},
        {"member count too large", [](auto& b) { putU32(b, firstTypeWithMembers(b) + 0x18, 0xFFFFFFFFu); }, "member"},
        {"implemented-interface loop",
         [](auto& b) {
             for (int i = 0; i < static_cast<int>(getU32(b, 0x20)); ++i) {
                 const size_t entry = typeInfoOffset(b, i);
                 if ((b[entry] & 0xF) != 5 || (b[entry + 0x4C] | (b[entry + 0x4D] << 8)) < 2) continue;
                 const uint32_t first = getU32(b, entry + 0x54);
                 putU32(b, segmentOffset(b, kReferenceSegment) + first + 12, first);
             }
         },
         "loops"},
        {"type-description cycle",
         [](auto& b) {
             // Every entry becomes a pointer to the first one, itself included.
             const size_t table = segmentOffset(b, kTypeDescSegment);
             const size_t length = getU32(b, segmentDirectoryOffset(b) + 16 * kTypeDescSegment + 4);
             for (size_t at = table; at + 8 <= table + length; at += 8) {
                 putU32(b, at, vt::Ptr);
                 putU32(b, at + 4, 0);
             }
         },
         "itself"},
    };
    for (const OpenFailure& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = fixtureBytes();
        c.damage(bytes);
        Expected<LibraryInfo> library = readTypeLibrary(bytes, "Damaged.tlb");
        ASSERT_TRUE(library) << library.error().description;
        int damagedTypes = 0;
        for (const TypeInfo& type : library->types) {
            const MembersRef typeMembers = type.members();
            if (!typeMembers.error()) continue;
            ++damagedTypes;
            EXPECT_EQ(typeMembers.error()->number, errc::InvalidDataRead);
            EXPECT_NE(typeMembers.error()->description.find(c.expectedText), std::string::npos) << typeMembers.error()->description;
            EXPECT_TRUE(typeMembers.funcs().empty() && typeMembers.vars().empty());
        }
        EXPECT_GT(damagedTypes, 0);
        EXPECT_LT(damagedTypes, static_cast<int>(library->types.size()));
        EXPECT_EQ(inconsistency(*library), "");
    }
}

TEST(DamagedInput, EveryTruncationFailsCleanly) {
    const std::vector<uint8_t> bytes = fixtureBytes();
    for (size_t length = 0; length < bytes.size(); ++length) {
        Expected<LibraryInfo> library = readTypeLibrary(std::span(bytes.data(), length), "Cut.tlb");
        if (library) {
            EXPECT_EQ(inconsistency(*library), "") << length;
        } else {
            EXPECT_NE(library.error().description.find("Cut.tlb"), std::string::npos) << length;
        }
    }
}

// A small deterministic generator, so that failures can be replayed.
uint32_t nextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// The signature, not the container, chooses the reader: an MSFT library signed SLTG is
// read as a damaged SLTG library, standalone and inside a PE file alike.
TEST(DamagedInput, SltgSignatureChoosesTheSltgReaderStandaloneAndInsideAPe) {
    for (const char* name : {"Fixture.tlb", "Fixture32.dll"}) {
        std::vector<uint8_t> bytes = bytesOf(fixturePath(name));
        const std::string msft = "MSFT";
        for (size_t at = 0; at + 4 <= bytes.size(); ++at) {
            if (std::equal(msft.begin(), msft.end(), bytes.begin() + static_cast<long>(at))) {
                std::copy_n("SLTG", 4, bytes.begin() + static_cast<long>(at));
            }
        }
        Expected<LibraryInfo> library = readTypeLibrary(bytes, name);
        ASSERT_FALSE(library) << name;
        EXPECT_EQ(library.error().number, errc::InvalidDataRead) << name;
        const std::string& description = library.error().description;
        EXPECT_EQ(description.rfind(std::string("The type library '") + name + "' is damaged: ", 0), 0u) << description;
        EXPECT_EQ(description.back(), '.') << description;
    }
}

TEST(DamagedInput, RandomGarbageAndRandomCorruptionNeverCrash) {
    uint32_t state = 12345;
    for (const char* prefix : {"", "MSFT", "MZ"}) {
        for (size_t size : {1u, 3u, 64u, 0x54u, 300u, 5000u}) {
            std::vector<uint8_t> garbage(size);
            for (uint8_t& byte : garbage) byte = static_cast<uint8_t>(nextRandom(state));
            for (size_t i = 0; prefix[i] && i < size; ++i) garbage[i] = static_cast<uint8_t>(prefix[i]);
            Expected<LibraryInfo> library = readTypeLibrary(garbage, "Garbage.bin");
            if (!library) {
                EXPECT_FALSE(library.error().description.empty());
            }
        }
    }
    // The MSFT fixture and its SLTG twin.
    for (const std::vector<uint8_t>& original : {fixtureBytes(), bytesOf(fixturePath("sltg/Fixture.tlb"))}) {
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint8_t> bytes = original;
            for (int flips = 0; flips < 4; ++flips) {
                bytes[nextRandom(state) % bytes.size()] = static_cast<uint8_t>(nextRandom(state));
            }
            Expected<LibraryInfo> library = readTypeLibrary(bytes, "Flipped.tlb");
            if (library) {
                EXPECT_EQ(inconsistency(*library), "") << round;
            } else {
                EXPECT_FALSE(library.error().description.empty()) << round;
            }
        }
    }
}

TEST(DamagedInput, PeDamage) {
    const std::vector<uint8_t> original = bytesOf(fixturePath("Fixture32.dll"));
    const size_t root = resourceRootOffset(original);
    const OpenFailure cases[] = {
        {"resource tree loop", [&](auto& b) { putU32(b, root + 16 + 4, 0x80000000u); }, "loop"},
        {"resource data past the end",
         [&](auto& b) {
             // Type -> id -> language: the first entry of each level, down to the data.
             size_t directory = root;
             for (int level = 0; level < 2; ++level) directory = root + (getU32(b, directory + 20) & 0x7FFFFFFFu);
             putU32(b, root + getU32(b, directory + 20) + 4, 0x7FFFFFF0u);
         },
         "but its TYPELIB resource 1 takes 2,147,483,632 bytes from"},
        {"section table past the end", [](auto& b) { putU16(b, getU32(b, 0x3C) + 6, 0xFFFF); }, "damaged"},
        {"unknown optional header", [](auto& b) { putU16(b, getU32(b, 0x3C) + 24, 0x1234); }, "magic"},
        {"resource section past the end",
         [&](auto& b) {
             const size_t pe = getU32(b, 0x3C);
             const size_t sections = pe + 24 + (getU32(b, pe + 20) & 0xFFFF);
             for (size_t s = 0; s < (getU32(b, pe + 4) >> 16); ++s) {
                 const size_t header = sections + 40 * s;
                 const size_t raw = getU32(b, header + 20);
                 if (raw <= root && root < raw + getU32(b, header + 16)) putU32(b, header + 20, 0x7FFFF000u);
             }
         },
         "but its resource tree lies at 2,147,"},
        {"TYPELIB data that is no library",
         [&](auto& b) {
             const std::string text = "MSFT";
             for (size_t at = 0; at + 4 <= b.size(); ++at) {
                 if (std::equal(text.begin(), text.end(), b.begin() + static_cast<long>(at))) b[at] = 'X';
             }
         },
         "holds no type library"},
    };
    for (const OpenFailure& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = original;
        c.damage(bytes);
        Expected<LibraryInfo> library = readTypeLibrary(bytes, "Damaged.dll");
        ASSERT_FALSE(library);
        expectPlainMessage(library.error(), "Damaged.dll", c.expectedText);
    }
}

}  // namespace
}  // namespace vantrel::testing
