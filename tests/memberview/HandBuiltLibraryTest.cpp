// Cases no compiler writes but damaged or unusual files hold, on libraries built in
// memory: type description nesting, base cycles and depth, damaged members, accessor
// joining and visibility, and bases reached through an import resolver.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "typelib/imports/ImportResolver.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {
namespace {

TypeHandle local(int32_t index) { return {TypeHandle::Kind::Local, index}; }
TypeHandle imported(int32_t index) { return {TypeHandle::Kind::Imported, index}; }

class LibraryBuilder {
public:
    TypeDescId simple(uint16_t code) { return add({code, 0, {}, {}}); }
    TypeDescId pointerTo(TypeDescId element) { return add({vt::Ptr, element, {}, {}}); }
    TypeDescId safeArrayOf(TypeDescId element) { return add({vt::SafeArray, element, {}, {}}); }
    TypeDescId fixedArrayOf(TypeDescId element) {
        return add({vt::CArray, element, {}, {{4, 0}}});
    }
    TypeDescId userType(TypeHandle type) { return add({vt::UserDefined, 0, type, {}}); }

    int32_t addType(const std::string& name, TypeKind kind, TypeHandle base = {},
                    uint16_t flags = 0) {
        TypeInfo& type = info.types.emplace_back();
        type.name = info.texts->add(name);
        type.kind = kind;
        type.baseType = base;
        type.flags = flags;
        return static_cast<int32_t>(info.types.size() - 1);
    }

    FuncDesc& addFunction(int32_t type, const std::string& name, int32_t memberId,
                          int32_t invokeKind, TypeDescId result,
                          std::vector<ParamDesc> params = {}) {
        FuncDesc func;
        func.name = info.texts->add(name);
        func.memberId = memberId;
        func.invokeKind = invokeKind;
        func.returnType = result;
        return info.types[static_cast<size_t>(type)].editMembers().addFunction(std::move(func), params);
    }

    std::shared_ptr<const LoadedLibrary> finish(const std::string& path,
                                                std::shared_ptr<ImportResolver> imports = {}) {
        auto library = std::make_shared<LoadedLibrary>();
        library->path = path;
        library->info = info;
        library->imports = std::move(imports);
        return library;
    }

    LibraryInfo info;

private:
    TypeDescId add(TypeDesc desc) {
        info.typeDescs.push_back(std::move(desc));
        return static_cast<TypeDescId>(info.typeDescs.size() - 1);
    }
};

std::vector<std::string> names(const Collection<MemberItem>& members) {
    std::vector<std::string> result;
    for (const MemberItem& item : members.items()) result.emplace_back(item.Name);
    return result;
}

TEST(HandBuiltTypeRefs, VarTypeFollowsNestingRules) {
    LibraryBuilder b;
    const int32_t record = b.addType("Rec", TypeKind::Record);
    const TypeDescId i4 = b.simple(vt::I4);
    const TypeDescId bstr = b.simple(vt::Bstr);
    const TypeDescId voidType = b.simple(vt::Void);
    const TypeDescId rec = b.userType(local(record));
    struct Case {
        const char* what;
        TypeDescId type;
        int32_t varType;
        SampleValue sample;
    };
    const std::vector<Case> cases{
        {"long", i4, vt::I4, {vt::I4, false}},
        {"long*", b.pointerTo(i4), vt::I4 | vt::ByRef, {vt::I4, false}},
        {"BSTR** adds by-ref once", b.pointerTo(b.pointerTo(bstr)), vt::Bstr | vt::ByRef,
         {vt::Bstr, false}},
        {"void*", b.pointerTo(voidType), vt::Ptr, {vt::Ptr, false}},
        {"void**", b.pointerTo(b.pointerTo(voidType)), vt::Ptr | vt::ByRef, {vt::Ptr, false}},
        {"void result", voidType, vt::Void, {vt::Empty, false}},
        {"Rec", rec, 0, {vt::Empty, false}},
        {"Rec* stays 0", b.pointerTo(rec), 0, {vt::Empty, false}},
        {"Rec** stays 0", b.pointerTo(b.pointerTo(rec)), 0, {vt::Empty, false}},
        {"SAFEARRAY(long)", b.safeArrayOf(i4), vt::I4 | vt::Array, {vt::I4, true}},
        {"SAFEARRAY(long)*", b.pointerTo(b.safeArrayOf(i4)), vt::I4 | vt::Array | vt::ByRef,
         {vt::I4, true}},
        {"SAFEARRAY(Rec)*", b.pointerTo(b.safeArrayOf(rec)), vt::Array, {vt::Empty, true}},
        {"long[4]", b.fixedArrayOf(i4), vt::I4 | vt::Vector, {vt::I4, true}},
        {"Rec[4]", b.fixedArrayOf(rec), vt::Vector, {vt::Empty, true}},
    };
    const auto library = b.finish("hand.tlb");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TypeRef ref(library, c.type);
        EXPECT_EQ(ref.VarType(), c.varType);
        EXPECT_EQ(ref.TypedValue().kind, c.sample.kind);
        EXPECT_EQ(ref.TypedValue().isArray, c.sample.isArray);
        Expected<TypeEntry> referenced = ref.ReferencedType();
        // Exactly the references to a defined type name one.
        EXPECT_EQ(referenced.hasValue(), (c.varType & vt::TypeMask) == 0);
        if (referenced) {
            EXPECT_EQ(referenced->Name(), "Rec");
        }
    }
}

TEST(HandBuiltTypeRefs, DamagedDescriptionsGiveErrorsNotCrashes) {
    LibraryBuilder b;
    const TypeDescId selfPointer = b.pointerTo(0);  // its element is itself
    const TypeDescId badType = b.userType(local(99));
    const TypeDescId badImport = b.userType(imported(5));
    const TypeDescId noType = b.userType({});
    const auto library = b.finish("damaged.tlb");

    EXPECT_EQ(TypeRef(library, 1000).VarType(), 0);
    Expected<TypeEntry> outOfRange = TypeRef(library, 1000).ReferencedType();
    ASSERT_FALSE(outOfRange);
    EXPECT_EQ(outOfRange.error().number, errc::InvalidDataRead);
    EXPECT_NE(outOfRange.error().description.find("damaged.tlb"), std::string::npos);
    EXPECT_EQ(TypeRef(library, 1000).desc(), nullptr);

    (void)TypeRef(library, selfPointer).VarType();  // ends, whatever it answers
    EXPECT_FALSE(TypeRef(library, selfPointer).ReferencedType());
    for (TypeDescId id : {badType, badImport, noType}) {
        Expected<TypeEntry> referenced = TypeRef(library, id).ReferencedType();
        ASSERT_FALSE(referenced);
        EXPECT_EQ(referenced.error().number, errc::InvalidDataRead) << referenced.error().description;
    }
}

TEST(HandBuiltViews, BaseCyclesAndRunawayChainsAreErrors) {
    LibraryBuilder b;
    const TypeDescId hr = b.simple(vt::HResult);
    const int32_t a = b.addType("A", TypeKind::Interface, local(1));
    const int32_t c = b.addType("B", TypeKind::Interface, local(0));
    const int32_t self = b.addType("Self", TypeKind::Interface, local(2));
    const int32_t onEnum = b.addType("OnEnum", TypeKind::Interface, local(4));
    b.addType("E", TypeKind::Enum);
    b.addFunction(a, "FromA", 1, invoke::Func, hr);
    b.addFunction(c, "FromB", 2, invoke::Func, hr);
    // A chain of 300 interfaces, each deriving from the next.
    const int32_t first = static_cast<int32_t>(b.info.types.size());
    for (int32_t i = 0; i < 300; ++i)
        b.addType("Deep" + std::to_string(i), TypeKind::Interface,
                  i + 1 < 300 ? local(first + i + 1) : TypeHandle{});
    const TypeLibrary library(b.finish("cycle.tlb"));

    for (SearchData type : {a, c, self, onEnum, first}) {
        SCOPED_TRACE(type);
        Expected<Collection<MemberItem>> members = library.GetMembers(type, memberview::AllMembers);
        ASSERT_FALSE(members);
        EXPECT_EQ(members.error().number, errc::InvalidDataRead);
        EXPECT_NE(members.error().description.find("cycle.tlb"), std::string::npos);
    }
    // The last 200 of the deep chain are short enough.
    EXPECT_TRUE(library.GetMembers(first + 100, memberview::AllMembers));
}

TEST(HandBuiltViews, ADamagedBaseFailsTheDerivedView) {
    LibraryBuilder b;
    const int32_t base = b.addType("Base", TypeKind::Interface);
    const int32_t derived = b.addType("Derived", TypeKind::Interface, local(base));
    b.info.types[static_cast<size_t>(base)].editMembers().error =
        makeError(errc::InvalidDataRead, "the member block of type 0 is cut short");
    const TypeLibrary library(b.finish("member.tlb"));
    for (SearchData type : {base, derived}) {
        Expected<Collection<MemberItem>> members = library.GetMembers(type, memberview::UserView);
        ASSERT_FALSE(members);
        EXPECT_EQ(members.error().description,
                  "The type library 'member.tlb' is damaged: type 0 (Base): the member block of type 0 is cut short.");
        EXPECT_FALSE(library.GetMember(type, 0, 0, ""));
    }
}

TEST(HandBuiltViews, AccessorsJoinByMemberIdAndVisibilityNeedsEveryAccessorHidden) {
    LibraryBuilder b;
    const TypeDescId hr = b.simple(vt::HResult);
    const TypeDescId i4 = b.simple(vt::I4);
    const ParamDesc value{"value", i4, paramflag::In, {}};
    const int32_t base = b.addType("Base", TypeKind::Interface);
    const int32_t type = b.addType("Props", TypeKind::Interface, local(base));
    b.addFunction(base, "Size", 1, invoke::PropertyGet, hr);
    b.addFunction(type, "Size", 1, invoke::PropertyPut, hr, {value});  // joins the base's Get
    b.addFunction(type, "Twice", 2, invoke::PropertyGet, hr);
    b.addFunction(type, "Twice", 2, invoke::PropertyGet, hr);  // a second Get: its own item
    b.addFunction(type, "Run", 3, invoke::Func, hr);
    b.addFunction(type, "Run", 3, invoke::Func, hr);  // methods never join
    b.addFunction(type, "Half", 4, invoke::PropertyGet, hr).flags = funcflag::Hidden;
    b.addFunction(type, "Half", 4, invoke::PropertyPut, hr, {value});
    b.addFunction(type, "Gone", 5, invoke::PropertyGet, hr).flags = funcflag::Hidden;
    b.addFunction(type, "Gone", 5, invoke::PropertyPut, hr, {value}).flags = funcflag::Restricted;
    const TypeLibrary library(b.finish("props.tlb"));

    Expected<Collection<MemberItem>> full = library.GetMembers(type, memberview::AllMembers);
    ASSERT_TRUE(full);
    EXPECT_EQ(names(*full),
              (std::vector<std::string>{"Size", "Twice", "Twice", "Run", "Run", "Half", "Gone"}));
    const std::vector<int32_t> kinds{6, 2, 2, 1, 1, 6, 6};
    for (size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(full->items()[i].InvokeKinds, kinds[i]);
    EXPECT_FALSE(full->items()[5].hidden);
    EXPECT_FALSE(full->items()[6].hidden || full->items()[6].restricted);

    Expected<Collection<MemberItem>> user = library.GetMembers(type, memberview::UserView);
    ASSERT_TRUE(user);
    EXPECT_EQ(names(*user), (std::vector<std::string>{"Size", "Twice", "Twice", "Run", "Run", "Half"}));

    // The joined Let comes from the derived type, the Get from the base.
    Expected<MemberEntry> let = library.GetMember(type, invoke::PropertyPut, 0, "");
    ASSERT_TRUE(let);
    EXPECT_EQ(let->Parameters.items().size(), 0u);
    EXPECT_EQ(let->ReturnType.VarType(), vt::I4);
}

TEST(HandBuiltViews, ThousandsOfAccessorsJoinIntoOnePropertyEach) {
    LibraryBuilder b;
    const TypeDescId hr = b.simple(vt::HResult);
    const TypeDescId i4 = b.simple(vt::I4);
    const TypeDescId outI4 = b.pointerTo(i4);
    const int32_t type = b.addType("Big", TypeKind::Interface);
    constexpr int32_t Count = 10000;
    for (int32_t i = 0; i < Count; ++i) {
        const std::string name = "P" + std::to_string(i);
        b.addFunction(type, name, i, invoke::PropertyGet, hr,
                      {{"v", outI4, paramflag::Out | paramflag::RetVal, {}}});
        b.addFunction(type, name, i, invoke::PropertyPut, hr, {{"v", i4, paramflag::In, {}}});
    }
    const TypeLibrary library(b.finish("big.tlb"));
    Expected<Collection<MemberItem>> members = library.GetMembers(type, memberview::UserView);
    ASSERT_TRUE(members);
    ASSERT_EQ(members->items().size(), static_cast<size_t>(Count));
    for (const MemberItem& item : members->items()) {
        ASSERT_EQ(item.InvokeKinds, invoke::PropertyGet | invoke::PropertyPut);
        Expected<MemberEntry> entry = library.GetMember(type, 0, item.MemberId, "");
        ASSERT_TRUE(entry);
        ASSERT_EQ(entry->ReturnType.VarType(), vt::I4);
    }
}

TEST(HandBuiltViews, DispatchFormDropsOnlyATrailingRetval) {
    LibraryBuilder b;
    const TypeDescId hr = b.simple(vt::HResult);
    const TypeDescId ui4 = b.simple(vt::UI4);
    const TypeDescId i2 = b.simple(vt::I2);
    const TypeDescId outI2 = b.pointerTo(i2);
    const int32_t dual = b.addType("Dual", TypeKind::Dispatch, {}, typeflag::Dual);
    b.addFunction(dual, "Counted", 1, invoke::Func, ui4);
    b.addFunction(dual, "Result", 2, invoke::Func, hr,
                  {{"a", i2, paramflag::In, {}}, {"r", outI2, paramflag::Out | paramflag::RetVal, {}}});
    b.addFunction(dual, "Lcid", 3, invoke::Func, hr,
                  {{"l", i2, paramflag::In | paramflag::Lcid, {}}, {"a", i2, paramflag::In, {}}});
    const int32_t disp = b.addType("Disp", TypeKind::Dispatch);
    b.addFunction(disp, "Raw", 1, invoke::Func, hr).funcKind = FuncKind::Dispatch;
    const TypeLibrary library(b.finish("dual.tlb"));

    struct Case {
        SearchData type;
        int32_t memberId;
        size_t params;
        int32_t result;
    };
    for (const Case& c : {Case{dual, 0, 0, vt::UI4}, Case{dual, 1, 1, vt::I2},
                          Case{dual, 2, 1, vt::Void}, Case{disp, 0, 0, vt::HResult}}) {
        Expected<MemberEntry> entry = library.GetMember(c.type, 0, c.memberId, "");
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->Parameters.items().size(), c.params) << c.memberId;
        EXPECT_EQ(entry->ReturnType.VarType(), c.result) << c.memberId;
    }
}

// Hands out the types of one other library, as a real resolver would from a file.
class OtherLibrary : public ImportResolver {
public:
    explicit OtherLibrary(std::shared_ptr<const LoadedLibrary> library)
        : library_(std::move(library)) {}
    Expected<TypeEntry> resolve(const std::shared_ptr<const LoadedLibrary>& from,
                                int32_t importedTypeIndex) override {
        const ImportedType& imported = from->info.importedTypes.at(static_cast<size_t>(importedTypeIndex));
        return TypeEntry(library_, imported.typeIndex);
    }

private:
    std::shared_ptr<const LoadedLibrary> library_;
};

TEST(HandBuiltViews, InheritedFunctionsKeepTheirOwnLibrary) {
    LibraryBuilder other;
    const TypeDescId hr = other.simple(vt::HResult);
    const int32_t shape = other.addType("Shape", TypeKind::Record);
    const TypeDescId shapePtr = other.pointerTo(other.userType(local(shape)));
    const int32_t unknown = other.addType("IUnknown", TypeKind::Interface);
    other.addFunction(unknown, "QueryInterface", 0x60000000, invoke::Func, hr).flags = funcflag::Restricted;
    const int32_t dispatch = other.addType("IDispatch", TypeKind::Interface, local(unknown));
    other.addFunction(dispatch, "Draw", 0x60010000, invoke::Func, hr,
                      {{"shape", shapePtr, paramflag::In, {}}});
    const auto otherLibrary = other.finish("other.tlb");

    LibraryBuilder b;
    b.info.importedLibraries.push_back({});
    b.info.importedLibraries[0].fileName = "other.tlb";
    b.info.importedTypes.push_back({0, TypeKind::Interface, false, {}, dispatch});
    b.info.dispatchType = imported(0);
    const TypeDescId hrHere = b.simple(vt::HResult);
    const int32_t dual = b.addType("Mine", TypeKind::Dispatch, imported(0), typeflag::Dual);
    b.addFunction(dual, "Own", 1, invoke::Func, hrHere);
    const int32_t disp = b.addType("Events", TypeKind::Dispatch);
    b.addFunction(disp, "Fired", 1, invoke::Func, hrHere).funcKind = FuncKind::Dispatch;
    const TypeLibrary library(b.finish("mine.tlb", std::make_shared<OtherLibrary>(otherLibrary)));

    for (SearchData type : {dual, disp}) {
        Expected<Collection<MemberItem>> full = library.GetMembers(type, memberview::AllMembers);
        ASSERT_TRUE(full);
        ASSERT_EQ(full->items().size(), 3u);
        EXPECT_EQ(full->items()[0].Name, "QueryInterface");
        EXPECT_EQ(full->items()[1].Name, "Draw");
        Expected<Collection<MemberItem>> user = library.GetMembers(type, memberview::UserView);
        ASSERT_TRUE(user);
        EXPECT_EQ(user->items().size(), 2u);
        Expected<MemberEntry> draw = library.GetMember(type, 0, 1, "");
        ASSERT_TRUE(draw);
        const TypeRef& param = draw->Parameters.items().at(0).Type;
        EXPECT_EQ(param.library().get(), otherLibrary.get());
        Expected<TypeEntry> referenced = param.ReferencedType();
        ASSERT_TRUE(referenced);
        EXPECT_EQ(referenced->Name(), "Shape");
    }
}

}  // namespace
}  // namespace vantrel
