// The built-in stdole2, written from the published definitions of its types: IUnknown
// and IDispatch (QueryInterface ... Invoke), IEnumVARIANT, the OLE_* sizes, positions
// and handles of the control interfaces, IFont/IFontDisp, IPicture/IPictureDisp and the
// font events. The type order is the one the standard library file has.
#include "typelib/imports/StandardOleLibrary.h"

#include <initializer_list>
#include <string>

#include "typelib/imports/BuiltInLibraryBuilder.h"

namespace vantrel {

namespace {

// Type positions in the standard order; index imports name types by these.
enum Index : int32_t {
    GuidRecord, DispParams, ExcepInfo, IUnknown, IDispatch, IEnumVariant,
    OleColor, XPosPixels, YPosPixels, XSizePixels, YSizePixels,
    XPosHimetric, YPosHimetric, XSizeHimetric, YSizeHimetric,
    XPosContainer, YPosContainer, XSizeContainer, YSizeContainer,
    OleHandle, OptExclusive, CancelBool, EnableDefaultBool, Tristate,
    FontName, FontSize, FontBold, FontItalic, FontUnderscore, FontStrikethrough,
    IFont, Font, IFontDisp, StdFont, IPicture, Picture, IPictureDisp, StdPicture,
    LoadPictureConstants, StdFunctions, FontEvents, IFontEventsDisp, TypeCount
};

// One row per Index, in order.
const BuiltInTypeRow kTypes[TypeCount] = {
    {"GUID", TypeKind::Record, {}, 0},
    {"DISPPARAMS", TypeKind::Record, {}, 0},
    {"EXCEPINFO", TypeKind::Record, {}, 0},
    {"IUnknown", TypeKind::Interface, comGuid(0x00000000), typeflag::Hidden},
    {"IDispatch", TypeKind::Interface, comGuid(0x00020400), typeflag::Restricted},
    {"IEnumVARIANT", TypeKind::Interface, comGuid(0x00020404), typeflag::Hidden},
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
    {"IFont", TypeKind::Interface, IFontGuid, typeflag::Hidden},
    {"Font", TypeKind::Dispatch, FontGuid, typeflag::Dispatchable},
    {"IFontDisp", TypeKind::Alias, {}, 0},
    {"StdFont", TypeKind::Coclass, StdFontGuid, typeflag::CanCreate},
    {"IPicture", TypeKind::Interface, IPictureGuid, typeflag::Hidden},
    {"Picture", TypeKind::Dispatch, PictureGuid, typeflag::Dispatchable},
    {"IPictureDisp", TypeKind::Alias, {}, 0},
    {"StdPicture", TypeKind::Coclass, StdPictureGuid, typeflag::CanCreate},
    {"LoadPictureConstants", TypeKind::Enum,
     Guid{0xE6C8FA08, 0xBD9F, 0x11D0, {0x98, 0x5E, 0x00, 0xC0, 0x4F, 0xC2, 0x99, 0x93}}, 0},
    {"StdFunctions", TypeKind::Module,
     Guid{0x91209AC0, 0x60F6, 0x11CF, {0x9C, 0x5D, 0x00, 0xAA, 0x00, 0xC1, 0x48, 0x9E}}, 0},
    {"FontEvents", TypeKind::Dispatch,
     Guid{0x4EF6100A, 0xAF88, 0x11D0, {0x98, 0x46, 0x00, 0xC0, 0x4F, 0xC2, 0x99, 0x93}},
     typeflag::Hidden | typeflag::Dispatchable},
    {"IFontEventsDisp", TypeKind::Alias, {}, 0},
};

// stdole2's own settings on the common builder.
class Builder : public BuiltInLibraryBuilder {
public:
    explicit Builder(SysKind sysKind) : BuiltInLibraryBuilder(sysKind, kTypes) {
        info().name = "stdole";
        info().docString = "OLE Automation";
        info().libid = StandardOleLibid;
        info().majorVersion = StandardOleMajorVersion;
        info().dispatchType = local(IDispatch);
    }
    void deriveFrom(Index index, Index base, uint16_t inheritedFunctions) {
        BuiltInLibraryBuilder::deriveFrom(index, local(base), inheritedFunctions);
    }
};

void addAliases(Builder& b) {
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
    b.alias(IFontEventsDisp, b.named(FontEvents));
}

void addUnknownAndDispatch(Builder& b) {
    using namespace paramflag;
    const TypeDescId hresult = b.simple(vt::HResult);
    const TypeDescId ulong = b.simple(vt::UI4);
    const TypeDescId uint = b.simple(vt::UInt);
    const TypeDescId guidPtr = b.pointerTo(b.named(GuidRecord));
    const TypeDescId voidPtrPtr = b.pointerTo(b.pointerTo(b.simple(vt::Void)));
    const TypeDescId uintPtr = b.pointerTo(uint);

    b.vtableFunction(IUnknown, 0, "QueryInterface", hresult,
                     {{"riid", In, guidPtr}, {"ppvObj", Out, voidPtrPtr}});
    b.vtableFunction(IUnknown, 0, "AddRef", ulong, {});
    b.vtableFunction(IUnknown, 0, "Release", ulong, {});

    b.deriveFrom(IDispatch, IUnknown, 3);
    b.vtableFunction(IDispatch, 1, "GetTypeInfoCount", hresult, {{"pctinfo", Out, uintPtr}});
    b.vtableFunction(IDispatch, 1, "GetTypeInfo", hresult,
                     {{"itinfo", In, uint}, {"lcid", In, ulong}, {"pptinfo", Out, voidPtrPtr}});
    b.vtableFunction(IDispatch, 1, "GetIDsOfNames", hresult,
                     {{"riid", In, guidPtr},
                      {"rgszNames", In, b.pointerTo(b.pointerTo(b.simple(vt::I1)))},
                      {"cNames", In, uint},
                      {"lcid", In, ulong},
                      {"rgdispid", Out, b.pointerTo(b.simple(vt::I4))}});
    b.vtableFunction(IDispatch, 1, "Invoke", hresult,
                     {{"dispidMember", In, b.simple(vt::I4)},
                      {"riid", In, guidPtr},
                      {"lcid", In, ulong},
                      {"wFlags", In, b.simple(vt::UI2)},
                      {"pdispparams", In, b.pointerTo(b.named(DispParams))},
                      {"pvarResult", Out, b.pointerTo(b.simple(vt::Variant))},
                      {"pexcepinfo", Out, b.pointerTo(b.named(ExcepInfo))},
                      {"puArgErr", Out, uintPtr}});

    for (Index index : {IEnumVariant, IFont, IPicture}) b.deriveFrom(index, IUnknown, 3);
}

void addFontAndPictureAndEvents(Builder& b) {
    addFontAndPicture(b, {Font, IFont, StdFont, Picture, IPicture, StdPicture, OleHandle,
                          XPosHimetric, YPosHimetric, XSizeHimetric, YSizeHimetric});
    // FontEvents reports a changed property.
    b.dispatchMethod(FontEvents, 9, "FontChanged",
                     {{"PropertyName", paramflag::In, b.simple(vt::Bstr)}});
}

void addConstants(Builder& b) {
    b.constant(Tristate, "Unchecked", 0);
    b.constant(Tristate, "Checked", 1);
    b.constant(Tristate, "Gray", 2);
    b.constant(LoadPictureConstants, "Default", 0);
    b.constant(LoadPictureConstants, "Monochrome", 1);
    b.constant(LoadPictureConstants, "VgaColor", 2);
    b.constant(LoadPictureConstants, "Color", 4);
}

}  // namespace

LibraryInfo standardOleLibrary(SysKind sysKind) {
    Builder builder(sysKind);
    addAliases(builder);
    addUnknownAndDispatch(builder);
    addFontAndPictureAndEvents(builder);
    addConstants(builder);
    return builder.finish();
}

}  // namespace vantrel
