// The decoded contents of one type library, as the format stores them: library
// attributes, type descriptions, and per type its functions, variables and implemented
// interfaces. This is the layer that dumps and the member view read; it knows nothing
// of files. Everything is plain data, built once when a library is opened.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "typelib/model/Automation.h"
#include "typelib/file/Error.h"
#include "typelib/model/OutOfLine.h"
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
// gaps, and the texts that most functions lack are kept out of line.
struct FuncDesc {
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

// The fields of a TypeInfo, copied member by member.
// Its texts live in LibraryInfo::texts.
struct TypeInfoFields {
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

    std::vector<FuncDesc> funcs;  // as stored; for a dual the vtable functions
    // The parameters of all of `funcs`, in function order: one array for the type
    // rather than one for each function.
    std::vector<ParamDesc> params;
    std::vector<VarDesc> vars;

    // Set when this type's own records are damaged: its name and attributes are known,
    // its members are not. Every question about its members answers with this error,
    // which says what is wrong within the type; the file and the type are named when it
    // is shown (typeMembersError), so that it stays small however many types are damaged.
    std::optional<Error> memberError;
};

// A copy's functions view the copy's own parameters; a move keeps the array where it is.
struct TypeInfo : TypeInfoFields {
    TypeInfo() = default;
    TypeInfo(const TypeInfo& other) : TypeInfoFields(other) { relinkParams(); }
    TypeInfo& operator=(const TypeInfo& other);
    TypeInfo(TypeInfo&&) noexcept = default;
    TypeInfo& operator=(TypeInfo&&) noexcept = default;
    ~TypeInfo() = default;

    bool isDual() const { return kind == TypeKind::Dispatch && (flags & typeflag::Dual); }

    // Appends a function with its parameters.
    FuncDesc& addFunction(FuncDesc func, std::span<const ParamDesc> funcParams = {});
    // Points the functions at consecutive parts of `params`, `counts[i]` for function i.
    // Counts that don't add up to the array leave the functions past the end without any.
    void linkParams(std::span<const size_t> counts);

private:
    // After `params` has moved or grown: the same counts, into the array as it is now.
    void relinkParams();
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
    std::vector<TypeDesc> typeDescs;
    std::vector<ImportedLibrary> importedLibraries;
    std::vector<ImportedType> importedTypes;

    unsigned pointerSize() const { return sysKind == SysKind::Win64 ? 8 : 4; }
};

}  // namespace vantrel
