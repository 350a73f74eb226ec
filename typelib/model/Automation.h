// Automation constants that type libraries store: variant types, type kinds, flags.
#pragma once

#include <cstdint>

namespace vantrel {

// VARENUM
namespace vt {
inline constexpr uint16_t Empty = 0, Null = 1, I2 = 2, I4 = 3, R4 = 4, R8 = 5, Cy = 6, Date = 7,
                          Bstr = 8, Dispatch = 9, Error = 10, Bool = 11, Variant = 12, Unknown = 13,
                          Decimal = 14, I1 = 16, UI1 = 17, UI2 = 18, UI4 = 19, I8 = 20, UI8 = 21,
                          Int = 22, UInt = 23, Void = 24, HResult = 25, Ptr = 26, SafeArray = 27,
                          CArray = 28, UserDefined = 29, LpStr = 30, LpWStr = 31, Record = 36,
                          IntPtr = 37, UIntPtr = 38, FileTime = 64, Blob = 65, Stream = 66,
                          Storage = 67, StreamedObject = 68, StoredObject = 69, BlobObject = 70,
                          Cf = 71, ClsId = 72, VersionedStream = 73, BstrBlob = 0x0FFF;
inline constexpr uint16_t Vector = 0x1000, Array = 0x2000, ByRef = 0x4000, Reserved = 0x8000,
                          TypeMask = 0x0FFF;
}  // namespace vt

enum class TypeKind : uint8_t {
    Enum = 0, Record = 1, Module = 2, Interface = 3, Dispatch = 4, Coclass = 5, Alias = 6, Union = 7
};

enum class FuncKind : uint8_t { Virtual = 0, PureVirtual = 1, NonVirtual = 2, Static = 3, Dispatch = 4 };

enum class VarKind : uint8_t { PerInstance = 0, Static = 1, Const = 2, Dispatch = 3 };

// INVOKEKIND bits as stored; the member view adds Event and Constant.
namespace invoke {
inline constexpr int32_t Func = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8,
                         Event = 16, Constant = 32;
}

namespace typeflag {
inline constexpr uint16_t AppObject = 0x1, CanCreate = 0x2, Licensed = 0x4, PreDeclId = 0x8,
                          Hidden = 0x10, Control = 0x20, Dual = 0x40, NonExtensible = 0x80,
                          OleAutomation = 0x100, Restricted = 0x200, Aggregatable = 0x400,
                          Replaceable = 0x800, Dispatchable = 0x1000, ReverseBind = 0x2000,
                          Proxy = 0x4000;
}

namespace funcflag {
inline constexpr uint16_t Restricted = 0x1, Source = 0x2, Bindable = 0x4, RequestEdit = 0x8,
                          DisplayBind = 0x10, DefaultBind = 0x20, Hidden = 0x40,
                          UsesGetLastError = 0x80, DefaultCollElem = 0x100, UiDefault = 0x200,
                          NonBrowsable = 0x400, Replaceable = 0x800, ImmediateBind = 0x1000;
}

namespace varflag {
inline constexpr uint16_t ReadOnly = 0x1, Source = 0x2, Bindable = 0x4, RequestEdit = 0x8,
                          DisplayBind = 0x10, DefaultBind = 0x20, Hidden = 0x40,
                          Restricted = 0x80, DefaultCollElem = 0x100, UiDefault = 0x200,
                          NonBrowsable = 0x400, Replaceable = 0x800, ImmediateBind = 0x1000;
}

namespace paramflag {
inline constexpr uint16_t In = 0x1, Out = 0x2, Lcid = 0x4, RetVal = 0x8, Opt = 0x10,
                          HasDefault = 0x20, HasCustData = 0x40;
}

namespace impltypeflag {
inline constexpr int32_t Default = 0x1, Source = 0x2, Restricted = 0x4, DefaultVtable = 0x8;
}

enum class SysKind : uint8_t { Win16 = 0, Win32 = 1, Mac = 2, Win64 = 3 };

}  // namespace vantrel
