// The whole member view of every real third-party type library: every type, both views,
// every member by every accessor, every type reference. Nothing may fail except the
// references to types of other libraries, which no resolver reaches here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct WalkCounts {
    size_t libraries = 0;
    size_t types = 0;
    size_t members = 0;
    size_t typeRefs = 0;
    size_t unreachableRefs = 0;
};

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void checkTypeRef(const TypeRef& type, WalkCounts& counts) {
    ++counts.typeRefs;
    const int32_t code = type.VarType();
    const SampleValue sample = type.TypedValue();
    EXPECT_EQ(sample.isArray, (code & (vt::Array | vt::Vector)) != 0);
    if ((code & vt::TypeMask) != 0) return;
    Expected<TypeEntry> referenced = type.ReferencedType();
    // The look-up without a share of the library finds the same type, or leaves it to
    // ReferencedType when it lies elsewhere or can't be reached.
    const int32_t local = type.LocalTypeIndex();
    if (referenced) {
        EXPECT_FALSE(referenced->Name().empty());
        const bool sameLibrary = referenced->library() == type.library();
        EXPECT_TRUE(local < 0 || (sameLibrary && referenced->index() == local)) << local;
        EXPECT_TRUE(sameLibrary || local == -1) << local;
        return;
    }
    EXPECT_EQ(local, -1);
    EXPECT_EQ(referenced.error().number, errc::LibNotRegistered) << referenced.error().description;
    ++counts.unreachableRefs;
}

void checkEntry(const Expected<MemberEntry>& entry, WalkCounts& counts) {
    ASSERT_TRUE(entry) << entry.error().description;
    Expected<int16_t> count = entry->Parameters.Count();
    ASSERT_TRUE(count);
    for (int16_t i = 1; i <= *count; ++i) {
        Expected<ParameterEntry> parameter = entry->Parameters.Item(i);
        ASSERT_TRUE(parameter);
        checkTypeRef(parameter->Type, counts);
    }
    checkTypeRef(entry->ReturnType, counts);
}

void walkType(const TypeLibrary& library, SearchData type, WalkCounts& counts) {
    Expected<Collection<MemberItem>> user = library.GetMembers(type, memberview::UserView);
    Expected<Collection<MemberItem>> full = library.GetMembers(type, memberview::AllMembers);
    ASSERT_TRUE(user) << user.error().description;
    ASSERT_TRUE(full) << full.error().description;
    ASSERT_LE(user->items().size(), full->items().size());
    for (const MemberItem& item : user->items())
        ASSERT_EQ(full->items().at(static_cast<size_t>(item.MemberId)).Name, item.Name);
    for (const MemberItem& item : full->items()) {
        SCOPED_TRACE(item.Name);
        ++counts.members;
        checkEntry(library.GetMember(type, 0, item.MemberId, ""), counts);
        for (int32_t kind : {invoke::PropertyGet, invoke::PropertyPut, invoke::PropertyPutRef})
            if (item.InvokeKinds & kind)
                checkEntry(library.GetMember(type, kind, item.MemberId, ""), counts);
    }
}

TEST(RealLibraries, EveryMemberOfEveryTypeIsReadable) {
    const fs::path folder = VANTREL_REAL_LIBS_DIR;
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no real libraries in " << folder;
    TypeLibraryLoader loader;
    WalkCounts counts;
    for (const fs::path& file : filesIn(folder)) {
        Expected<TypeLibrary> library = loader.OpenFromFile(file.string());
        if (!library) continue;  // carries no type library; the reader's tests check why
        SCOPED_TRACE(file.filename().string());
        ++counts.libraries;
        const Collection<TypeEntry> types = library->Types();
        for (const TypeEntry& type : types.items()) {
            SCOPED_TRACE(type.Name());
            ++counts.types;
            walkType(*library, type.index(), counts);
        }
    }
    std::cout << counts.libraries << " libraries, " << counts.types << " types, "
              << counts.members << " members, " << counts.typeRefs << " type references, "
              << counts.unreachableRefs << " in other libraries\n";
    EXPECT_GE(counts.libraries, 40u);
}

// stdole2 defines IUnknown itself: IEnumVARIANT's view starts with its restricted
// functions, which the user view leaves out.
TEST(RealLibraries, StandardOleInterfacesInheritWithinTheirLibrary) {
    const fs::path file = fs::path(VANTREL_REAL_LIBS_DIR) / "stdole2.tlb";
    if (!fs::is_regular_file(file)) GTEST_SKIP() << "no " << file;
    TypeLibraryLoader loader;
    Expected<TypeLibrary> library = loader.OpenFromFile(file.string());
    ASSERT_TRUE(library) << library.error().description;
    Expected<SearchData> type = library->FindType("ienumvariant", 239);
    ASSERT_TRUE(type);
    const std::vector<std::string> all{"QueryInterface", "AddRef", "Release", "Next",
                                       "Skip", "Reset", "Clone"};
    for (int32_t flag : {memberview::AllMembers, memberview::UserView}) {
        Expected<Collection<MemberItem>> members = library->GetMembers(*type, flag);
        ASSERT_TRUE(members);
        std::vector<std::string> names;
        for (const MemberItem& item : members->items()) names.emplace_back(item.Name);
        const auto first = all.begin() + (flag == memberview::UserView ? 3 : 0);
        EXPECT_EQ(names, std::vector<std::string>(first, all.end()));
    }
    // AddRef returns a plain ULONG; Next's HRESULT is nothing.
    Expected<MemberEntry> addRef = library->GetMember(*type, 0, 1, "");
    Expected<MemberEntry> next = library->GetMember(*type, 0, 3, "");
    ASSERT_TRUE(addRef && next);
    EXPECT_EQ(addRef->ReturnType.VarType(), vt::UI4);
    EXPECT_EQ(next->ReturnType.VarType(), vt::Void);
    EXPECT_EQ(next->Parameters.items().size(), 3u);
}

}  // namespace
}  // namespace vantrel
