// The type-library model that the report and the window read: a library's types, the
// member view of a type as a user of the type sees it, and type references. Every
// object is a cheap handle that shares the opened library.
//
// Collections are 1-based with a 16-bit signed Count and Item index. Operations that can
// fail return Expected; the error's description is meant for the user.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/file/Error.h"
#include "typelib/model/TypeDescLookup.h"
#include "typelib/model/TypeInfo.h"
#include "typelib/read/ReadOptions.h"

namespace vantrel {

class TypeLibrary;
class ImportResolver;
class LibraryCatalog;

// One opened library: what was read, and from where.
struct LoadedLibrary {
    std::string path;
    LibraryInfo info;
    // Finds the libraries that this one imports from; null when imports are not resolved.
    std::shared_ptr<ImportResolver> imports;
};

// Names one type of an opened library; handed back unchanged to GetMembers and GetMember.
using SearchData = int32_t;

template <class T>
class Collection {
public:
    Collection() = default;
    // `holder` keeps alive what the items view, for as long as the collection lives.
    explicit Collection(std::vector<T> items, std::shared_ptr<const void> holder = {})
        : items_(std::move(items)), holder_(std::move(holder)) {}

    // Error 6 "Overflow" when there are more than 32767 items.
    Expected<int16_t> Count() const;
    // 1-based; error 9 "Subscript out of range" outside 1..Count.
    Expected<T> Item(int16_t index) const;

    // Plain access for tools and tests.
    const std::vector<T>& items() const { return items_; }

private:
    std::vector<T> items_;
    std::shared_ptr<const void> holder_;
};

class TypeEntry {
public:
    TypeEntry() = default;
    TypeEntry(std::shared_ptr<const LoadedLibrary> library, int32_t index)
        : library_(std::move(library)), index_(index) {}

    std::string_view Name() const;

    // For tools: the type's decoded description and where it lives.
    const TypeInfo& info() const;
    int32_t index() const { return index_; }
    const std::shared_ptr<const LoadedLibrary>& library() const { return library_; }

private:
    std::shared_ptr<const LoadedLibrary> library_;
    int32_t index_ = -1;
};

// A sample value of a type: its kind is the element's variant code without the by-ref
// and array bits; the return type of a function that returns nothing gives Empty.
struct SampleValue {
    uint16_t kind = vt::Empty;
    bool isArray = false;
};

// The sample value of a type whose Automation code is `varType`.
inline SampleValue sampleValueOf(int32_t varType) {
    SampleValue sample;
    sample.kind = static_cast<uint16_t>(varType & vt::TypeMask);
    // A declared void holds no value either.
    if (sample.kind == vt::Void) sample.kind = vt::Empty;
    sample.isArray = (varType & (vt::Array | vt::Vector)) != 0;
    return sample;
}

class TypeRef {
public:
    TypeRef() = default;
    TypeRef(std::shared_ptr<const LoadedLibrary> library, TypeDescId type)
        : library_(std::move(library)), type_(type), isVoid_(false) {}
    // The return type of a function that returns nothing.
    static TypeRef Void();

    // Automation code: a built-in type's VT (with VT_BYREF for a pointer to one, 0x2000
    // for a SAFEARRAY, 0x1000 for a fixed-size array), 0 for a type that a type
    // description defines, VT_PTR for a pointer to void.
    int32_t VarType() const;
    SampleValue TypedValue() const;
    // The defined type; an error when it lives in another library that can't be reached
    // or the reference is damaged.
    Expected<TypeEntry> ReferencedType() const;

    // The defined type's index in this reference's own library, for a caller that only
    // reads it while holding the reference; -1 when it lies in another library or can't be
    // reached (ReferencedType tells which). Takes no share of the library: a walk names
    // tens of thousands of types.
    int32_t LocalTypeIndex() const;

    // For tools: the type description, or null for Void().
    const TypeDesc* desc() const;
    const std::shared_ptr<const LoadedLibrary>& library() const { return library_; }

private:
    std::shared_ptr<const LoadedLibrary> library_;
    TypeDescId type_ = 0;
    bool isVoid_ = true;
};

// Names are views of the library's own texts, not copies: a walk over a large library
// lists tens of thousands. A member's name stays good while the collection that listed it
// or the TypeLibrary is alive; a parameter's while its entry (whose Type holds the
// library) is. Copy a name to keep it longer.
struct MemberItem {
    std::string_view Name;
    int32_t InvokeKinds = 0;  // 1 method, 2/4/8 property get/let/set, 16 event, 32 constant
    int32_t MemberId = 0;     // opaque key within the type's view, for GetMember
    // For tools.
    int32_t DispId = 0;
    bool hidden = false;
    bool restricted = false;
};

struct ParameterEntry {
    std::string_view Name;
    TypeRef Type;
    uint16_t flags = 0;  // PARAMFLAGS, for tools
};

struct MemberEntry {
    Collection<ParameterEntry> Parameters;
    TypeRef ReturnType;
};

// GetMembers flags.
namespace memberview {
// Leaves out restricted and hidden members, and of a property its restricted and hidden
// accessors one by one: its InvokeKinds gather the accessors that remain.
inline constexpr int32_t UserView = 0;
inline constexpr int32_t AllMembers = 1;
}

class TypeLibrary {
public:
    explicit TypeLibrary(std::shared_ptr<const LoadedLibrary> library);

    Collection<TypeEntry> Types() const;
    // The first type in library order whose name is `name`, else the first whose name
    // equals it ignoring case: with types Foo and foo each is found under its own name.
    // The search filter is accepted and changes nothing.
    Expected<SearchData> FindType(const std::string& name, int32_t filter) const;
    Expected<Collection<MemberItem>> GetMembers(SearchData type, int32_t flag) const;
    Expected<MemberEntry> GetMember(SearchData type, int32_t invokeKinds, int32_t memberId,
                                    std::string_view name) const;

    const std::string& path() const { return library_->path; }
    const LibraryInfo& info() const { return library_->info; }
    const std::shared_ptr<const LoadedLibrary>& loaded() const { return library_; }

private:
    std::shared_ptr<const LoadedLibrary> library_;
    struct ViewCache;
    std::shared_ptr<ViewCache> views_;  // the member views built last
};

// Libraries opened by one loader find the libraries they import through one shared
// catalog: see LibraryCatalog.h for where imports are looked for.
class TypeLibraryLoader {
public:
    TypeLibraryLoader();
    // Folders searched, in order, for imported libraries found nowhere else (see
    // LibraryCatalog.h); the window and the tool pass VANTREL_IMPORT_PATH's.
    void SetImportPath(std::vector<std::string> folders);
    // Opens a type library file (MSFT), or a TYPELIB resource of a PE file.
    Expected<TypeLibrary> OpenFromFile(const std::string& path, const ReadOptions& options = {});
    // The same from bytes already in memory; `path` is used in messages.
    Expected<TypeLibrary> OpenFromBytes(std::span<const uint8_t> bytes, const std::string& path);

private:
    std::shared_ptr<LibraryCatalog> catalog_;
};

// Inline: every type named on a page or in a walk asks, and nearly every description
// carries its code, worked out when it was read.
inline int32_t TypeRef::VarType() const {
    if (isVoid_ || !library_) return vt::Void;
    if (const TypeDesc* desc = typeDescAt(library_->info, type_); desc && desc->varType != TypeDesc::UnknownVarType)
        return desc->varType;
    return automationVarType(library_->info, type_);
}

template <class T>
Expected<int16_t> Collection<T>::Count() const {
    if (items_.size() > 32767) return makeError(errc::Overflow, "Overflow");
    return static_cast<int16_t>(items_.size());
}

template <class T>
Expected<T> Collection<T>::Item(int16_t index) const {
    if (index < 1 || static_cast<size_t>(index) > items_.size())
        return makeError(errc::SubscriptOutOfRange, "Subscript out of range");
    return items_[static_cast<size_t>(index) - 1];
}

}  // namespace vantrel
