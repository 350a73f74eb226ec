// The decoded contents of one type library, as the format stores them: library
// attributes, type descriptions, and per type its functions, variables and implemented
// interfaces. This is the layer that dumps and the member view read; it knows nothing
// of files. Everything is plain data. A library read from a file decodes a type's
// functions and variables the first time they are asked for (TypeInfo::members): opening
// a large library and listing its types reads no member record.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <optional>
#include <span>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "typelib/model/Automation.h"
#include "typelib/file/Error.h"
#include "typelib/file/OutOfLine.h"
#include "typelib/text/TextPool.h"

namespace vantrel {

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    std::array<uint8_t, 8> data4{};

    // "{00020430-0000-0000-C000-000000000046}"
    std::string toString() const;
    bool isNull() const;
    friend bool operator==(const Guid&, const Guid&) = default;
};

// A constant value, a default value or a custom datum.
struct Variant {
    uint16_t vt = vt::Empty;
    // Signed integers (I1..I8, INT, BOOL, ERROR, HRESULT) are held as int64_t, unsigned
    // ones (UI1..UI8, UINT) as uint64_t, R4/R8/DATE as double, CY as int64_t in units of
    // 1/10000, strings as UTF-8 in LibraryInfo::texts.
    std::variant<std::monostate, int64_t, uint64_t, double, std::string_view> value;
};

// Index of a TypeDesc in LibraryInfo::typeDescs.
using TypeDescId = uint32_t;

// A reference to a type named by a type description or an implemented interface.
struct TypeHandle {
    enum class Kind : uint8_t { None, Local, Imported };
    Kind kind = Kind::None;
    // Local: the typeinfo index in this library; Imported: index in LibraryInfo::importedTypes.
    int32_t index = -1;
    friend bool operator==(const TypeHandle&, const TypeHandle&) = default;
};

struct ArrayBound {
    uint32_t elements = 0;
    int32_t lowerBound = 0;
};

// One node of a type description. Simple types have only vt; VT_PTR and VT_SAFEARRAY
// name their element, VT_CARRAY its element and bounds, VT_USERDEFINED a type.
struct TypeDesc {
    uint16_t vt = vt::Empty;  // without the flag bits
    TypeDescId element = 0;   // Ptr, SafeArray, CArray
    TypeHandle type;          // UserDefined
    std::vector<ArrayBound> bounds;  // CArray
    // Its Automation code (TypeRef::VarType), stored when the library is read, as every
    // type name needs it; UnknownVarType in descriptions built otherwise, which work it
    // out when asked.
    int32_t varType = UnknownVarType;

    static constexpr int32_t UnknownVarType = -1;
};

struct ParamDesc {
    std::string_view name;  // empty when the parameter is unnamed; in LibraryInfo::texts
    TypeDescId type = 0;
    uint16_t flags = 0;  // PARAMFLAGS
    OutOfLine<Variant> defaultValue;
};

// Large libraries hold tens of thousands of these: the fields are ordered to leave no
// gaps, and the texts are views of the library's pool.
struct FuncDesc {
    // Each field set by its own initialiser: a value-initialised FuncDesc would first be
    // cleared whole, which for a record this size compilers do with a string instruction
    // that is slow to start, once for every function a library stores.
    FuncDesc() {}  // not "= default", which would clear it whole

    std::string_view name;  // in LibraryInfo::texts, as are the other texts
    int32_t memberId = 0;
    FuncKind funcKind = FuncKind::PureVirtual;
    uint8_t callConv = 4;
    uint16_t flags = 0;      // FUNCFLAGS
    int32_t invokeKind = invoke::Func;  // 1, 2, 4 or 8
    int16_t vtableOffset = 0;  // as stored, bit 0 cleared
    int16_t optionalParams = 0;  // cParamsOpt; -1 for vararg
    TypeDescId returnType = 0;
    int32_t helpContext = 0;
    // Its parameters: its part of TypeInfo::params.
    std::span<const ParamDesc> params;
    std::string_view docString;
    // Module functions: the DLL entry point, by name or by ordinal.
    std::string_view entryName;
    std::optional<uint16_t> entryOrdinal;
};

struct VarDesc {
    std::string_view name;  // in LibraryInfo::texts, as is docString
    int32_t memberId = 0;
    VarKind varKind = VarKind::PerInstance;
    uint16_t flags = 0;  // VARFLAGS
    TypeDescId type = 0;
    std::optional<Variant> constantValue;  // VarKind::Const
    int32_t instanceOffset = 0;            // VarKind::PerInstance
    std::string_view docString;
    int32_t helpContext = 0;
};

struct ImplType {
    TypeHandle type;
    int32_t flags = 0;  // IMPLTYPEFLAGS
};

// A type's functions and variables as stored.
struct TypeMembers {
    std::vector<FuncDesc> funcs;  // as stored; for a dual the vtable functions
    // The parameters of all of `funcs`, in function order: one array for the type
    // rather than one for each function.
    std::vector<ParamDesc> params;
    std::vector<VarDesc> vars;
    // Set when the type's own records are damaged: its name and attributes are known,
    // its members are not, and the lists above are empty. Every question about its
    // members answers with this error, which says what is wrong within the type; the
    // file and the type are named when it is shown (typeMembersError), so that it stays
    // small however many types are damaged.
    std::optional<Error> error;

    TypeMembers() = default;
    // A copy's functions view the copy's own parameters; a move keeps the array where it is.
    TypeMembers(const TypeMembers& other);
    TypeMembers& operator=(const TypeMembers& other);
    TypeMembers(TypeMembers&&) noexcept = default;
    TypeMembers& operator=(TypeMembers&&) noexcept = default;
    ~TypeMembers() = default;

    // Appends a function with its parameters.
    FuncDesc& addFunction(FuncDesc func, std::span<const ParamDesc> funcParams = {});
    // Points the functions at consecutive parts of `params`, `counts[i]` for function i.
    // Counts that don't add up to the array leave the functions past the end without any.
    void linkParams(std::span<const size_t> counts);
    // Roughly the memory these take, for a cache to weigh them.
    size_t bytes() const;
    // After `params` has moved or grown: the same counts, into the array as it is now.
    void relinkParams();
};

// Holds a type's members for as long as it lives; a library may let go of members no
// handle holds and decode them again when next asked. What its accessors return lives
// only as long as the handle, so they can't be called on a temporary one: keep the handle
// in a variable for as long as the functions and variables are used.
class MembersRef {
public:
    MembersRef() = default;
    explicit MembersRef(std::shared_ptr<const TypeMembers> members) : members_(std::move(members)) {}

    const std::vector<FuncDesc>& funcs() const& { return members_->funcs; }
    const std::vector<ParamDesc>& params() const& { return members_->params; }
    const std::vector<VarDesc>& vars() const& { return members_->vars; }
    const std::optional<Error>& error() const& { return members_->error; }
    // The members themselves, held by the pointer given.
    std::shared_ptr<const TypeMembers> shared() const { return members_; }
    void funcs() const&& = delete;
    void params() const&& = delete;
    void vars() const&& = delete;
    void error() const&& = delete;

    bool damaged() const { return members_->error.has_value(); }

private:
    std::shared_ptr<const TypeMembers> members_;
};

// Decodes the members of a library's types, one type at a time, when they are first
// asked for.
class MemberDecoder {
public:
    virtual ~MemberDecoder() = default;
    // The members of type `typeIndex`, or their error in TypeMembers::error.
    virtual TypeMembers decode(size_t typeIndex) = 0;
};

// The members of one library's types, decoded on demand and shared. A type's members
// stay while a handle holds them and while they are among those decoded last (up to
// `keptBytes` in all); others are let go and decoded again when asked for, so that
// walking a whole library needs little more memory than the file. Members with an error
// are kept: they are small, and they are decoded only once.
// A library is read from one thread at a time.
class LazyMembers {
public:
    LazyMembers(std::unique_ptr<MemberDecoder> decoder, size_t typeCount, size_t keptBytes);

    // Decoded members to keep beyond those in use, for a library of `fileSize` bytes:
    // enough for the types a user clicks through, small beside the file.
    static size_t keptBytesFor(size_t fileSize) { return std::max<size_t>(128 * 1024, fileSize / 8); }

    std::shared_ptr<const TypeMembers> of(size_t typeIndex);

private:
    void keepRecent(const std::shared_ptr<const TypeMembers>& members);

    std::unique_ptr<MemberDecoder> decoder_;
    std::vector<std::weak_ptr<const TypeMembers>> live_;
    std::vector<std::shared_ptr<const TypeMembers>> damaged_;
    std::deque<std::shared_ptr<const TypeMembers>> recent_;
    size_t recentBytes_ = 0;
    size_t keptBytes_ = 0;
};

// A table that a library fills as it decodes, also after it was opened: elements are
// added at the end and never move, and copies of the library share one table, so that a
// reference into it stays good while more of the library is decoded. Elements live in
// chunks of a fixed size, so that an index is found with a shift and a mask: type
// descriptions are looked up for every type named.
template <class T>
class GrowingTable {
    static constexpr size_t ChunkBits = 6;
    static constexpr size_t ChunkSize = size_t{1} << ChunkBits;
    struct Storage {
        std::vector<std::unique_ptr<T[]>> chunks;
        size_t size = 0;
    };

public:
    template <class Table, class Item>
    class Iterator {
    public:
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        Iterator(Table* table, size_t at) : table_(table), at_(at) {}
        Item& operator*() const { return (*table_)[at_]; }
        Item* operator->() const { return &(*table_)[at_]; }
        Iterator& operator++() { ++at_; return *this; }
        Iterator operator++(int) { Iterator was = *this; ++at_; return was; }
        bool operator==(const Iterator& other) const { return at_ == other.at_; }

    private:
        Table* table_ = nullptr;
        size_t at_ = 0;
    };

    GrowingTable() : storage_(std::make_shared<Storage>()), raw_(storage_.get()) {}

    size_t size() const { return raw_->size; }
    bool empty() const { return raw_->size == 0; }
    const T& operator[](size_t i) const { return raw_->chunks[i >> ChunkBits][i & (ChunkSize - 1)]; }
    T& operator[](size_t i) { return raw_->chunks[i >> ChunkBits][i & (ChunkSize - 1)]; }
    const T& at(size_t i) const { return i < size() ? (*this)[i] : throw std::out_of_range("GrowingTable"); }
    T& at(size_t i) { return i < size() ? (*this)[i] : throw std::out_of_range("GrowingTable"); }
    const T& back() const { return (*this)[size() - 1]; }
    T& back() { return (*this)[size() - 1]; }
    void push_back(T item) { emplace_back(std::move(item)); }
    template <class... Args>
    T& emplace_back(Args&&... args) {
        if (raw_->size == raw_->chunks.size() * ChunkSize) raw_->chunks.push_back(std::make_unique<T[]>(ChunkSize));
        T& slot = (*this)[raw_->size];
        slot = T{std::forward<Args>(args)...};
        ++raw_->size;
        return slot;
    }
    // Only grows: elements are never taken away.
    void resize(size_t count) {
        while (size() < count) emplace_back();
    }
    auto begin() const { return Iterator<const GrowingTable, const T>(this, 0); }
    auto end() const { return Iterator<const GrowingTable, const T>(this, size()); }
    auto begin() { return Iterator<GrowingTable, T>(this, 0); }
    auto end() { return Iterator<GrowingTable, T>(this, size()); }

private:
    std::shared_ptr<Storage> storage_;
    Storage* raw_;  // storage_'s, without a shared pointer's load on every look-up
};

// The fields of a type and where its members come from.
struct TypeInfo {
    std::string_view name;
    TypeKind kind = TypeKind::Enum;
    Guid guid;
    uint16_t flags = 0;  // TYPEFLAGS as stored
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    uint16_t alignment = 0;
    int32_t sizeInstance = 0;
    int16_t sizeVtable = 0;  // cbSizeVft as stored
    std::string_view docString;
    int32_t helpContext = 0;

    // Interface and dual: the base interface (datatype1); a pure dispinterface has none.
    TypeHandle baseType;
    uint16_t inheritedFunctions = 0;  // from datatype2, interfaces and duals
    // A pure dispinterface declared as `dispinterface D { interface I; }`: I. Such a D
    // stores no functions of its own; its dispatch view is I's.
    TypeHandle wrappedInterface;
    // Coclass: its interfaces with flags.
    std::vector<ImplType> implTypes;
    // Alias: the aliased type.
    std::optional<TypeDescId> aliasType;
    // Module: the DLL name.
    std::string_view dllName;

    bool isDual() const { return kind == TypeKind::Dispatch && (flags & typeflag::Dual); }

    // Its functions and variables, decoded now if they were not yet.
    MembersRef members() const;
    // The members to fill, for readers and builders that decode a type whole. Copies of
    // a type share its members until one of them is filled.
    TypeMembers& editMembers();
    // Members decoded by `source` when first asked for.
    void decodeMembersWith(std::shared_ptr<LazyMembers> source, size_t typeIndex);

private:
    std::shared_ptr<TypeMembers> own_;
    std::shared_ptr<LazyMembers> lazy_;
    size_t lazyIndex_ = 0;
};

struct ImportedLibrary {
    Guid libid;
    uint32_t lcid = 0;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    std::string fileName;  // the file it was imported from, as recorded
};

struct ImportedType {
    int32_t library = -1;  // index in LibraryInfo::importedLibraries
    TypeKind kind = TypeKind::Interface;
    bool byGuid = false;
    Guid guid;              // byGuid
    int32_t typeIndex = -1; // !byGuid: typeinfo index in the imported library
    // The format records no kind for the type (SLTG): any kind at typeIndex is taken.
    bool anyKind = false;
};

// The format a library is stored in.
enum class LibraryFormat : uint8_t { Msft, Sltg };

struct LibraryInfo {
    std::string name;
    LibraryFormat format = LibraryFormat::Msft;
    Guid libid;
    uint32_t lcid = 0;
    uint32_t codePage = 0;  // the one names and strings were decoded in
    SysKind sysKind = SysKind::Win32;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    uint16_t flags = 0;  // LIBFLAGS
    std::string docString;
    std::string helpFile;
    int32_t helpContext = 0;
    // The bytes of the type library it was read from: what the reader and the report
    // may spend is measured against it (Limits.h).
    uint64_t sourceSize = 0;

    // The library's reference to IDispatch, used as the one interface of every
    // dispinterface; None when the library never names IDispatch.
    TypeHandle dispatchType;

    // The texts of types, functions, variables, parameters and string values, each
    // decoded once per place in the file; copies of the library share it.
    std::shared_ptr<TextPool> texts = std::make_shared<TextPool>();

    std::vector<TypeInfo> types;
    // These three grow as members are decoded: see GrowingTable.
    GrowingTable<TypeDesc> typeDescs;
    GrowingTable<ImportedLibrary> importedLibraries;
    GrowingTable<ImportedType> importedTypes;

    unsigned pointerSize() const { return sysKind == SysKind::Win64 ? 8 : 4; }
};

}  // namespace vantrel
