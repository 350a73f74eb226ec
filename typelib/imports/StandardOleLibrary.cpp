// The built-in stdole2, written from the published definitions of its types: IUnknown
// and IDispatch (QueryInterface ... Invoke), IEnumVARIANT, the OLE_* sizes, positions
// and handles of the control interfaces, IFont/IFontDisp, IPicture/IPictureDisp and the
// font events. The type order is the one the standard library file has.
#include "typelib/imports/StandardOleLibrary.h"

#include <initializer_list>
#include <string>

#include "typelib/model/TypeDescLookup.h"

namespace vantrel {

namespace {

constexpr Guid comGuid(uint32_t data1, uint16_t data2 = 0) {
    return Guid{data1, data2, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}
// The OLE_* sizes and positions and the font aliases: {665043xx-BE0F-101A-8BBB-00AA00300CAB}.
constexpr Guid olectlGuid(uint8_t last) {
    return Guid{0x66504300u + last, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
}
// The container coordinates and the two booleans: {BF03064x-9069-101B-AE2D-08002B2EC713}.
constexpr Guid containerGuid(uint8_t last) {
    return Guid{0xBF030640u + last, 0x9069, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
}

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

struct TypeRow {
    const char* name;
    TypeKind kind;
    Guid guid;
    uint16_t flags;
};

// One row per Index, in order.
const TypeRow kTypes[TypeCount] = {
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
    {"IFont", TypeKind::Interface,
     Guid{0xBEF6E002, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}},
     typeflag::Hidden},
    {"Font", TypeKind::Dispatch,
     Guid{0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}},
     typeflag::Dispatchable},
    {"IFontDisp", TypeKind::Alias, {}, 0},
    {"StdFont", TypeKind::Coclass,
     Guid{0x0BE35203, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}},
     typeflag::CanCreate},
    {"IPicture", TypeKind::Interface,
     Guid{0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}},
     typeflag::Hidden},
    {"Picture", TypeKind::Dispatch,
     Guid{0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}},
     typeflag::Dispatchable},
    {"IPictureDisp", TypeKind::Alias, {}, 0},
    {"StdPicture", TypeKind::Coclass,
     Guid{0x0BE35204, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}},
     typeflag::CanCreate},
    {"LoadPictureConstants", TypeKind::Enum,
     Guid{0xE6C8FA08, 0xBD9F, 0x11D0, {0x98, 0x5E, 0x00, 0xC0, 0x4F, 0xC2, 0x99, 0x93}}, 0},
    {"StdFunctions", TypeKind::Module,
     Guid{0x91209AC0, 0x60F6, 0x11CF, {0x9C, 0x5D, 0x00, 0xAA, 0x00, 0xC1, 0x48, 0x9E}}, 0},
    {"FontEvents", TypeKind::Dispatch,
     Guid{0x4EF6100A, 0xAF88, 0x11D0, {0x98, 0x46, 0x00, 0xC0, 0x4F, 0xC2, 0x99, 0x93}},
     typeflag::Hidden | typeflag::Dispatchable},
    {"IFontEventsDisp", TypeKind::Alias, {}, 0},
};

struct ParamRow {
    const char* name;
    uint16_t flags;
    TypeDescId type;
};

// Builds the library: type descriptions are appended as the members need them.
class Builder {
public:
    explicit Builder(SysKind sysKind) {
        info_.name = "stdole";
        info_.docString = "OLE Automation";
        info_.libid = StandardOleLibid;
        info_.majorVersion = StandardOleMajorVersion;
        info_.sysKind = sysKind;
        info_.dispatchType = local(IDispatch);
        for (const TypeRow& row : kTypes) {
            TypeInfo& type = info_.types.emplace_back();
            type.name = row.name;
            type.kind = row.kind;
            type.guid = row.guid;
            type.flags = row.flags;
        }
    }

    static TypeHandle local(Index index) { return {TypeHandle::Kind::Local, index}; }

    TypeDescId simple(uint16_t vt) { return add(TypeDesc{vt, 0, {}, {}}); }
    TypeDescId pointerTo(TypeDescId element) { return add(TypeDesc{vt::Ptr, element, {}, {}}); }
    TypeDescId named(Index index) { return add(TypeDesc{vt::UserDefined, 0, local(index), {}}); }

    TypeInfo& type(Index index) { return info_.types[static_cast<size_t>(index)]; }

    void alias(Index index, TypeDescId target) { type(index).aliasType = target; }

    void deriveFrom(Index index, Index base, uint16_t inheritedFunctions) {
        type(index).baseType = local(base);
        type(index).inheritedFunctions = inheritedFunctions;
    }

    // A vtable function of an interface whose functions are all [restricted], as
    // IUnknown's and IDispatch's are; member ids and offsets follow the position.
    void vtableFunction(Index owner, int32_t ancestors, const char* name, TypeDescId result,
                        std::initializer_list<ParamRow> params) {
        TypeInfo& type = this->type(owner);
        FuncDesc func;
        const auto position = static_cast<int32_t>(type.funcs.size());
        const int32_t slot = 3 * (ancestors > 0) + position;
        func.name = name;
        func.memberId = 0x60000000 | (ancestors << 16) | position;
        func.funcKind = FuncKind::PureVirtual;
        func.flags = funcflag::Restricted;
        func.vtableOffset = static_cast<int16_t>(slot * static_cast<int32_t>(info_.pointerSize()));
        func.returnType = result;
        addFunction(type, std::move(func), params);
        type.sizeVtable = static_cast<int16_t>((slot + 1) * static_cast<int32_t>(info_.pointerSize()));
    }

    void dispatchMethod(Index owner, int32_t memberId, const char* name,
                        std::initializer_list<ParamRow> params) {
        FuncDesc func;
        func.name = name;
        func.memberId = memberId;
        func.funcKind = FuncKind::Dispatch;
        func.returnType = simple(vt::Void);
        addFunction(type(owner), std::move(func), params);
    }

    void dispatchProperty(Index owner, int32_t memberId, const char* name, TypeDescId type,
                          uint16_t flags = 0) {
        VarDesc& var = this->type(owner).vars.emplace_back();
        var.name = name;
        var.memberId = memberId;
        var.varKind = VarKind::Dispatch;
        var.flags = flags;
        var.type = type;
    }

    void constant(Index owner, const char* name, int64_t value) {
        TypeInfo& type = this->type(owner);
        VarDesc& var = type.vars.emplace_back();
        var.name = name;
        var.memberId = 0x40000000 + static_cast<int32_t>(type.vars.size() - 1);
        var.varKind = VarKind::Const;
        // Enumeration values are INTs.
        var.type = simple(vt::Int);
        var.constantValue = Variant{vt::Int, value};
    }

    void implements(Index coclass, Index interface, int32_t flags) {
        type(coclass).implTypes.push_back(ImplType{local(interface), flags});
    }

    LibraryInfo finish() {
        storeAutomationVarTypes(info_);
        return std::move(info_);
    }

private:
    TypeDescId add(TypeDesc desc) {
        info_.typeDescs.push_back(std::move(desc));
        return static_cast<TypeDescId>(info_.typeDescs.size() - 1);
    }

    static void addFunction(TypeInfo& type, FuncDesc func, std::initializer_list<ParamRow> rows) {
        std::vector<ParamDesc> params;
        for (const ParamRow& row : rows) params.push_back(ParamDesc{row.name, row.type, row.flags, {}});
        type.addFunction(std::move(func), params);
    }

    LibraryInfo info_;
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

// Font and Picture are the dispatch faces of IFont and IPicture (member ids as
// DISPID_FONT_* and DISPID_PICT_*); FontEvents reports a changed property.
void addFontAndPicture(Builder& b) {
    const TypeDescId boolean = b.simple(vt::Bool);
    b.dispatchProperty(Font, 0, "Name", b.simple(vt::Bstr));
    b.dispatchProperty(Font, 2, "Size", b.simple(vt::Cy));
    b.dispatchProperty(Font, 3, "Bold", boolean);
    b.dispatchProperty(Font, 4, "Italic", boolean);
    b.dispatchProperty(Font, 5, "Underline", boolean);
    b.dispatchProperty(Font, 6, "Strikethrough", boolean);
    b.dispatchProperty(Font, 7, "Weight", b.simple(vt::I2));
    b.dispatchProperty(Font, 8, "Charset", b.simple(vt::I2));
    b.implements(StdFont, Font, impltypeflag::Default);
    b.implements(StdFont, IFont, 0);

    const TypeDescId handle = b.named(OleHandle);
    b.dispatchProperty(Picture, 0, "Handle", handle, varflag::ReadOnly);
    b.dispatchProperty(Picture, 2, "hPal", handle);
    b.dispatchProperty(Picture, 3, "Type", b.simple(vt::I2), varflag::ReadOnly);
    b.dispatchProperty(Picture, 4, "Width", b.named(XSizeHimetric), varflag::ReadOnly);
    b.dispatchProperty(Picture, 5, "Height", b.named(YSizeHimetric), varflag::ReadOnly);
    // Render's parameters carry no direction.
    const TypeDescId i4 = b.simple(vt::I4);
    b.dispatchMethod(Picture, 6, "Render",
                     {{"hdc", 0, b.simple(vt::Int)},
                      {"x", 0, i4},
                      {"y", 0, i4},
                      {"cx", 0, i4},
                      {"cy", 0, i4},
                      {"xSrc", 0, b.named(XPosHimetric)},
                      {"ySrc", 0, b.named(YPosHimetric)},
                      {"cxSrc", 0, b.named(XSizeHimetric)},
                      {"cySrc", 0, b.named(YSizeHimetric)},
                      {"prcWBounds", 0, b.pointerTo(b.simple(vt::Void))}});
    b.implements(StdPicture, Picture, impltypeflag::Default);
    b.implements(StdPicture, IPicture, 0);

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
    addFontAndPicture(builder);
    addConstants(builder);
    return builder.finish();
}

}  // namespace vantrel
