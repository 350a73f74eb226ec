// The Standard OLE Types library (StdType, carried by OLEPRO32.DLL), built in: the
// controls of the 1990s import OLE_COLOR, the OLE_* positions, IFontDisp, IPictureDisp
// and their kin from it rather than from stdole2.
#pragma once

#include "typelib/model/TypeInfo.h"

namespace vantrel {

// LIBID {BEF6E001-A874-101A-8BBA-00AA00300CAB}.
inline constexpr Guid StandardOleTypesLibid{0xBEF6E001, 0xA874, 0x101A,
                                            {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr uint16_t StandardOleTypesMajorVersion = 2;

// Version 2.0 as the public definitions describe it, in the type order of OLEPRO32.DLL:
// the OLE_* aliases and OLE_TRISTATE, the font aliases, IFont, Font, IFontDisp, StdFont,
// IPicture, Picture, IPictureDisp, StdPicture, with the properties of Font and Picture.
// IUnknown and IDispatch are imported from stdole2.
LibraryInfo standardOleTypesLibrary(SysKind sysKind);

}  // namespace vantrel
