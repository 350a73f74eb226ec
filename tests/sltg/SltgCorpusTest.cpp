// The SLTG libraries of the real-file corpus, opened in place through the loader: each
// lists its types, holds lines that the platform's reader gives identically for it
// (see tools/conformance), and builds the report page of every type. A TYPELIB
// resource holding no library gives a clear error.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "ReaderChecks.h"
#include "report/MemberReport.h"
#include "tools/conformance/OurDump.h"
#include "typelib/TypeLibrary.h"

namespace vantrel::testing {
namespace {

// A decoded doc string: of the type, or of its member when one is named.
struct DocString {
    const char* type;
    const char* member;
    const char* text;
};

struct CorpusCase {
    const char* file;
    int typeCount;
    std::vector<const char*> platformLines;  // each a whole line of the canonical dump
    std::vector<DocString> docStrings = {};  // the platform shows none: read by hand
};

const std::vector<CorpusCase> kCases = {
    {"GRID32.OCX", 9,
     {"library name=\"MSGrid\" libid={A8B3B723-0B5A-101B-B22E-00AA0037B2FC} lcid=0x409 syskind=1 version=1.0 flags=0xA",
      "  var index=16 memid=1073741840 varkind=2 flags=0x0 name=\"grdCustom\" type=22 value=22:99",
      "  var index=21 memid=21 varkind=3 flags=0x0 name=\"Picture\" type=ptr(udt(ext:IPictureDisp))",
      "type index=8 name=\"Grid\" guid={A8C3B720-0B5A-101B-B22E-00AA0037B2FC} kind=5 flags=0x26 funcs=0 vars=0 impls=2"}},
    // The 16-bit twin, in an NE file: the same types, with 16-bit attributes.
    {"GRID16.OCX", 9,
     {"library name=\"MSGrid\" libid={A8B3B723-0B5A-101B-B22E-00AA0037B2FC} lcid=0x409 syskind=0 version=1.0 flags=0xA",
      "  var index=16 memid=1073741840 varkind=2 flags=0x0 name=\"grdCustom\" type=22 value=22:99",
      "type index=8 name=\"Grid\" guid={A8C3B720-0B5A-101B-B22E-00AA0037B2FC} kind=5 flags=0x26 funcs=0 vars=0 impls=2"}},
    {"OLEPRO32.DLL", 32,
     {"type index=11 name=\"OLE_XSIZE_CONTAINER\" guid={BF030642-9069-101B-AE2D-08002B2EC713} kind=6 flags=0x0 funcs=0 "
      "vars=0 impls=0 alias=4",
      "  func index=18 memid=1610678290 invkind=1 funckind=1 flags=0x0 callconv=4 slot=21 optional=0 name=\"IsEqual\" "
      "return=25",
      "    param index=0 name=\"lpFontOther\" flags=0x1 type=ptr(udt(IFont))",
      "    param index=0 name=\"lplpfont\" flags=0x2 type=ptr(ptr(udt(IFont)))"}},
    {"Crystl32.ocx", 10,
     {"  view vtable kind=3 flags=0x150 funcs=230 vars=0 impls=1",
      "    func index=81 memid=47 invkind=4 funckind=1 flags=0x0 callconv=4 slot=88 optional=0 name=\"PrinterDriver\" "
      "return=25"}},
    {"MSOUTL32.OCX", 8,
     {"  var index=2 memid=1073741826 varkind=2 flags=0x0 name=\"outOutOfMemory\" type=22 value=22:32002"}},
    {"THREED32.OCX", 42,
     {"type index=35 name=\"SSPanel\" guid={0BA686B9-F7D3-101A-993E-0000C0EF6F5E} kind=5 flags=0x26 funcs=0 vars=0 impls=2"},
     {{"SSCheck", "", "A three-dimensional check box."},
      {"SSPanel", "", "A three-dimensional rectangular control with inner and outer bevels."},
      {"Font3DConstants", "ssRaisedLight", "Font raised with light shading."}}},
    {"XL5EN32.OLB", 133,
     {"  var index=483 memid=1073742307 varkind=2 flags=0x0 name=\"xlLTR\" type=22 value=22:-5003",
      "  var index=46 memid=1073741870 varkind=2 flags=0x0 name=\"xlDialogInsertTitle\" type=22 value=22:380"}},
};

std::unordered_set<std::string> linesOf(const std::string& text) {
    std::unordered_set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.insert(line);
    return lines;
}

std::string docStringOf(const TypeLibrary& library, const std::string& typeName, const std::string& member) {
    for (const TypeInfo& type : library.info().types) {
        const MembersRef typeMembers = type.members();
        if (type.name != typeName) continue;
        if (member.empty()) return std::string(type.docString);
        for (const VarDesc& var : typeMembers.vars())
            if (var.name == member) return std::string(var.docString);
        for (const FuncDesc& func : typeMembers.funcs())
            if (func.name == member) return std::string(func.docString);
    }
    return "(not found)";
}

TEST(SltgCorpus, OpensMatchesThePlatformAndBuildsEveryPage) {
    if (!std::filesystem::is_directory(VANTREL_CORPUS_DIR)) GTEST_SKIP() << "no corpus";
    for (const CorpusCase& c : kCases) {
        const std::string path = corpusPath(c.file);
        SCOPED_TRACE(c.file);
        TypeLibraryLoader loader;
        Expected<TypeLibrary> library = loader.OpenFromFile(path);
        ASSERT_TRUE(library) << library.error().description;
        const Collection<TypeEntry> types = library->Types();
        EXPECT_EQ(types.items().size(), static_cast<size_t>(c.typeCount));
        const std::unordered_set<std::string> dump = linesOf(conformance::dumpLibrary(*library));
        for (const char* line : c.platformLines) EXPECT_TRUE(dump.count(line)) << line;
        for (const DocString& doc : c.docStrings) EXPECT_EQ(docStringOf(*library, doc.type, doc.member), doc.text);
        for (const TypeEntry& type : types.items()) {
            const Expected<std::string> page = GetProperties(*library, path, std::string(type.Name()), path);
            EXPECT_TRUE(page) << type.Name() << ": " << page.error().description;
        }
    }
}

// SLTG names imported types by index only. GRID16 imports StdType 1.0, whose type order
// differs from version 2.0's: a 2.0 on the import path must not stand in for it.
TEST(SltgCorpus, IndexImportsAreNotTakenFromAnotherMajorVersion) {
    const std::string path = corpusPath("GRID16.OCX");
    if (!std::filesystem::exists(path) || !std::filesystem::is_directory(VANTREL_REAL_LIBS_DIR)) GTEST_SKIP();
    TypeLibraryLoader loader;
    loader.SetImportPath({VANTREL_REAL_LIBS_DIR});
    Expected<TypeLibrary> library = loader.OpenFromFile(path);
    ASSERT_TRUE(library) << library.error().description;
    const std::unordered_set<std::string> dump = linesOf(conformance::dumpLibrary(*library));
    EXPECT_TRUE(dump.count("  var index=21 memid=21 varkind=3 flags=0x0 name=\"Picture\" type=ptr(udt(ext:?))"));
}

TEST(SltgCorpus, TypeLibResourceWithoutALibraryIsAClearError) {
    const std::string path = corpusPath("FlatBtn6.ocx");
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus";
    Expected<TypeLibrary> library = TypeLibraryLoader().OpenFromFile(path);
    ASSERT_FALSE(library);
    EXPECT_EQ(library.error().number, errc::InvalidDataRead);
    EXPECT_EQ(library.error().description, "The TYPELIB resource 1 of '" + path +
                                               "' holds no type library: it starts with neither MSFT nor SLTG.");
}

}  // namespace
}  // namespace vantrel::testing
