// The built-in Standard OLE Types, written from the published definitions of the OLE
// control types (olectl.h and the OLE control documentation).
#include "typelib/imports/StandardOleTypes.h"

#include "typelib/imports/BuiltInLibraryBuilder.h"
#include "typelib/imports/StandardOleLibrary.h"

namespace vantrel {

namespace {

enum Index : int32_t {
    OleColor, XPosPixels, YPosPixels, XSizePixels, YSizePixels,
    XPosHimetric, YPosHimetric, XSizeHimetric, YSizeHimetric,
    XPosContainer, YPosContainer, XSizeContainer, YSizeContainer,
    OleHandle, OptExclusive, CancelBool, EnableDefaultBool, Tristate,
    FontName, FontSize, FontBold, FontItalic, FontUnderscore, FontStrikethrough,
    IFont, Font, IFontDisp, StdFont, IPicture, Picture, IPictureDisp, StdPicture, TypeCount
};

// One row per Index, in order.
const BuiltInTypeRow kTypes[TypeCount] = {
    {"OLE_COLOR", TypeKind::Alias, olectlGuid(0x01), 0},
    {"OLE_XPOS_PIXELS", TypeKind::Alias, olectlGuid(0x02), 0},
    {"OLE_YPOS_PIXELS", TypeKind::Alias, olectlGuid(0x03), 0},
    {"OLE_XSIZE_PIXELS", TypeKind::Alias, olectlGuid(0x04), 0},
    {"OLE_YSIZE_PIXELS", TypeKind::Alias, olectlGuid(0x05), 0},
    {"OLE_XPOS_HIMETRIC", TypeKind::Alias, olectlGuid(0x06), 0},
    {"OLE_YPOS_HIMETRIC", TypeKind::Alias, olectlGuid(0x07), 0},
    {"OLE_XSIZE_HIMETRIC", TypeKind::Alias, olectlGuid(0x08), 0},
    {"OLE_YSIZE_HIMETRIC", TypeKind::Alias, olectlGuid(0x09), 0},
    {"OLE_XPOS_CONTAINER", TypeKind::Alias, containerGuid(0x0), 0},
    {"OLE_YPOS_CONTAINER", TypeKind::Alias, containerGuid(0x1), 0},
    {"OLE_XSIZE_CONTAINER", TypeKind::Alias, containerGuid(0x2), 0},
    {"OLE_YSIZE_CONTAINER", TypeKind::Alias, containerGuid(0x3), 0},
    {"OLE_HANDLE", TypeKind::Alias, olectlGuid(0x13), 0},
    {"OLE_OPTEXCLUSIVE", TypeKind::Alias, olectlGuid(0x0B), 0},
    {"OLE_CANCELBOOL", TypeKind::Alias, containerGuid(0x4), 0},
    {"OLE_ENABLEDEFAULTBOOL", TypeKind::Alias, containerGuid(0x5), 0},
    {"OLE_TRISTATE", TypeKind::Enum, olectlGuid(0x0A), 0},
    {"FONTNAME", TypeKind::Alias, olectlGuid(0x0D), 0},
    {"FONTSIZE", TypeKind::Alias, olectlGuid(0x0E), 0},
    {"FONTBOLD", TypeKind::Alias, olectlGuid(0x0F), 0},
    {"FONTITALIC", TypeKind::Alias, olectlGuid(0x10), 0},
    {"FONTUNDERSCORE", TypeKind::Alias, olectlGuid(0x11), 0},
    {"FONTSTRIKETHROUGH", TypeKind::Alias, olectlGuid(0x12), 0},
    {"IFont", TypeKind::Interface, IFontGuid, 0},
    {"Font", TypeKind::Dispatch, FontGuid, 0},
    {"IFontDisp", TypeKind::Alias, {}, 0},
    {"StdFont", TypeKind::Coclass, StdFontGuid, typeflag::CanCreate},
    {"IPicture", TypeKind::Interface, IPictureGuid, 0},
    {"Picture", TypeKind::Dispatch, PictureGuid, 0},
    {"IPictureDisp", TypeKind::Alias, {}, 0},
    {"StdPicture", TypeKind::Coclass, StdPictureGuid, typeflag::CanCreate},
};

void addAliases(BuiltInLibraryBuilder& b) {
    b.alias(OleColor, b.simple(vt::UI4));
    for (Index index : {XPosPixels, YPosPixels, XSizePixels, YSizePixels, XPosHimetric,
                        YPosHimetric, XSizeHimetric, YSizeHimetric})
        b.alias(index, b.simple(vt::I4));
    for (Index index : {XPosContainer, YPosContainer, XSizeContainer, YSizeContainer})
        b.alias(index, b.simple(vt::R4));
    b.alias(OleHandle, b.simple(vt::Int));
    for (Index index : {OptExclusive, CancelBool, EnableDefaultBool, FontBold, FontItalic,
                        FontUnderscore, FontStrikethrough})
        b.alias(index, b.simple(vt::Bool));
    b.alias(FontName, b.simple(vt::Bstr));
    b.alias(FontSize, b.simple(vt::Cy));
    b.alias(IFontDisp, b.named(Font));
    b.alias(IPictureDisp, b.named(Picture));
}

}  // namespace

LibraryInfo standardOleTypesLibrary(SysKind sysKind) {
    BuiltInLibraryBuilder b(sysKind, kTypes);
    LibraryInfo& info = b.info();
    info.name = "StdType";
    info.docString = "Standard OLE Types";
    info.libid = StandardOleTypesLibid;
    info.majorVersion = StandardOleTypesMajorVersion;
    const ImportedLibrary stdole{StandardOleLibid, 0, StandardOleMajorVersion, 0, "stdole2.tlb"};
    const TypeHandle unknown = b.importByGuid(stdole, TypeKind::Interface, comGuid(0x00000000));
    info.dispatchType = b.importByGuid(stdole, TypeKind::Interface, comGuid(0x00020400));
    b.deriveFrom(IFont, unknown, 3);
    b.deriveFrom(IPicture, unknown, 3);
    addAliases(b);
    b.constant(Tristate, "Unchecked", 0);
    b.constant(Tristate, "Checked", 1);
    b.constant(Tristate, "Gray", 2);
    addFontAndPicture(b, {Font, IFont, StdFont, Picture, IPicture, StdPicture, OleHandle,
                          XPosHimetric, YPosHimetric, XSizeHimetric, YSizeHimetric});
    return b.finish();
}

}  // namespace vantrel
