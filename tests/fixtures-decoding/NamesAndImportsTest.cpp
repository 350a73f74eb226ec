// Names outside ASCII (Windows-1252 bytes decoded to UTF-8), names with markup
// characters kept as they are, and references into imported libraries.
#include <gtest/gtest.h>

#include "FixtureLibrary.h"

namespace vantrel::testing {
namespace {

bool isValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                                              : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

TEST(FixtureNames, Windows1252NamesAreDecodedToUtf8) {
    const LibraryInfo& library = fixture("Names.tlb");
    const TypeInfo& cafe = typeNamed(library, "ICaf\xC3\xA9");
    const FuncDesc& size = funcNamed(cafe, "Gr\xC3\xB6\xC3\x9F" "e", invoke::PropertyGet);
    EXPECT_EQ(size.memberId, 1);
    const FuncDesc& convert = funcNamed(cafe, "Convert", invoke::Func);
    ASSERT_FALSE(convert.params.empty());
    EXPECT_EQ(convert.params[0].name, "W\xC3\xA4hrung");
    EXPECT_EQ(library.docString, "Caf\xC3\xA9-Hilfe");
}

TEST(FixtureNames, AnUndefinedByteDoesNotCorruptTheRestOfTheName) {
    const LibraryInfo& library = fixture("Names.tlb");
    const TypeInfo& names = typeNamed(library, "NamesEnum");
    const MembersRef namesMembers = names.members();
    ASSERT_EQ(namesMembers.vars().size(), 2u);
    const std::string odd(namesMembers.vars()[0].name);  // "Bad" 0x81 "char"
    EXPECT_TRUE(isValidUtf8(odd)) << odd;
    EXPECT_EQ(odd.rfind("Bad", 0), 0u) << odd;
    ASSERT_GE(odd.size(), 7u) << odd;
    EXPECT_EQ(odd.substr(odd.size() - 4), "char") << odd;
    EXPECT_EQ(namesMembers.vars()[1].name, "namesPlain");
}

TEST(FixtureNames, MarkupCharactersInNamesAreKeptAsStored) {
    const LibraryInfo& library = fixture("Escaping.tlb");
    EXPECT_EQ(library.docString, "Names & <markup>");
    const TypeInfo& script = typeNamed(library, "<script>");
    EXPECT_EQ(script.docString, "<b>bold</b> & \"quoted\"");
    const FuncDesc& method = funcNamed(script, "a&b", invoke::Func);
    ASSERT_FALSE(method.params.empty());
    EXPECT_EQ(method.params[0].name, "<b>x");
    EXPECT_EQ(funcNamed(script, "&amp;", invoke::PropertyGet).memberId, 2);
    EXPECT_EQ(funcNamed(script, "<script>x</script>", invoke::Func).memberId, 3);
    const TypeInfo& values = typeNamed(library, "EscapingEnum");
    const MembersRef valuesMembers = values.members();
    ASSERT_EQ(valuesMembers.vars().size(), 1u);
    EXPECT_EQ(valuesMembers.vars()[0].name, "x<>&y");
    EXPECT_EQ(values.docString, "a < b & c > d");
}

const ImportedLibrary* importedLibrary(const LibraryInfo& library, const std::string& file) {
    for (const ImportedLibrary& imported : library.importedLibraries) {
        if (imported.fileName == file) return &imported;
    }
    return nullptr;
}

TEST(FixtureImports, ImportedLibrariesAreListed) {
    const LibraryInfo& importer = fixture("Importer.tlb");
    const ImportedLibrary* second = importedLibrary(importer, "Second.tlb");
    ASSERT_NE(second, nullptr) << dumpLibrary(importer, false);
    EXPECT_EQ(second->libid.toString(), "{5A1E0000-0000-4000-8000-000000000200}");
    EXPECT_EQ(second->majorVersion, 1);
    // Importer's dual derives from Second's, so it never names stdole2 or IDispatch.
    EXPECT_EQ(importer.importedLibraries.size(), 1u);
    EXPECT_EQ(importer.dispatchType.kind, TypeHandle::Kind::None);
    for (const char* file : {"Fixture.tlb", "Control.tlb", "Second.tlb"}) {
        const ImportedLibrary* stdole = importedLibrary(fixture(file), "stdole2.tlb");
        ASSERT_NE(stdole, nullptr) << file;
        EXPECT_EQ(stdole->libid.toString(), "{00020430-0000-0000-C000-000000000046}") << file;
    }
}

TEST(FixtureImports, ReferencesIntoAnotherFixtureLibrary) {
    const LibraryInfo& library = fixture("Importer.tlb");
    const TypeInfo& thing = typeNamed(library, "IImporterThing");
    ASSERT_EQ(thing.baseType.kind, TypeHandle::Kind::Imported);
    EXPECT_EQ(describeHandle(library, thing.baseType).rfind("Second.tlb:", 0), 0u);
    // Second's interface has IDispatch's 7 functions and 2 of its own.
    EXPECT_EQ(thing.inheritedFunctions, 9);
    const std::pair<const char*, const char*> params[] = {
        {"UseKind", ""}, {"UsePair", "PTR("}, {"UseBase", "PTR("}};
    for (const auto& [name, prefix] : params) {
        const FuncDesc& func = funcNamed(thing, name, invoke::Func);
        ASSERT_FALSE(func.params.empty()) << name;
        const std::string type = describeType(library, func.params[0].type);
        EXPECT_EQ(type.rfind(std::string(prefix) + "Second.tlb:", 0), 0u) << name << ": " << type;
    }
    const TypeInfo& object = typeNamed(library, "ImporterObject");
    ASSERT_EQ(object.implTypes.size(), 1u);
    EXPECT_EQ(describeHandle(library, object.implTypes[0].type), "IImporterThing");
}

TEST(FixtureImports, DistinctImportedTypesHaveDistinctReferences) {
    const LibraryInfo& library = fixture("Importer.tlb");
    const TypeInfo& thing = typeNamed(library, "IImporterThing");
    const std::string kind =
        describeType(library, funcNamed(thing, "UseKind", invoke::Func).params[0].type);
    const std::string pair =
        describeType(library, funcNamed(thing, "UsePair", invoke::Func).params[0].type);
    const std::string base = describeHandle(library, thing.baseType);
    EXPECT_NE(kind, "PTR(" + base + ")");
    EXPECT_NE(pair, "PTR(" + kind + ")");
    EXPECT_EQ(describeType(library, funcNamed(thing, "UseBase", invoke::Func).params[0].type),
              "PTR(" + base + ")");
}

TEST(FixtureImports, ALibraryWhoseImportIsMissingStillDecodes) {
    // Imports are only named in the file; whether the imported library is at hand
    // matters to whoever resolves the references, not to decoding.
    EXPECT_EQ(dumpLibrary(fixture("imports-missing/Importer.tlb"), true),
              dumpLibrary(fixture("Importer.tlb"), true));
}

}  // namespace
}  // namespace vantrel::testing
