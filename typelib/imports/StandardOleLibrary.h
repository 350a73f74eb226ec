// The OLE Automation standard library (stdole2), built in: nearly every component
// imports it, and without a registry its file may be nowhere near the component.
#pragma once

#include "typelib/model/TypeInfo.h"

namespace vantrel {

// LIBID {00020430-0000-0000-C000-000000000046}, shared by versions 1.0 and 2.0.
inline constexpr Guid StandardOleLibid{0x00020430, 0x0000, 0x0000,
                                       {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr uint16_t StandardOleMajorVersion = 2;
// Version 1 (stdole32.tlb) holds GUID, DISPPARAMS, EXCEPINFO, IUnknown, IDispatch and
// IEnumVARIANT, at the same indexes as version 2.
inline constexpr int32_t StandardOle1TypeCount = 6;

// Version 2.0 as the public definitions describe it: every type in the standard order
// (so that imports by type index land on the right type) with its name, GUID, kind and
// flags; the targets of the aliases; the functions of IUnknown and IDispatch; the
// properties of Font and Picture; the values of the enumerations. Vtable offsets
// follow the pointer size of `sysKind`.
LibraryInfo standardOleLibrary(SysKind sysKind);

}  // namespace vantrel
