// Builds the libraries that Vantrel carries built in (stdole2, Standard OLE Types) from
// rows of their published definitions: types in their standard order, then members.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "typelib/model/TypeInfo.h"

namespace vantrel {

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
inline constexpr Guid IFontGuid{0xBEF6E002, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr Guid FontGuid{0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr Guid StdFontGuid{0x0BE35203, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
inline constexpr Guid IPictureGuid{0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr Guid PictureGuid{0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr Guid StdPictureGuid{0x0BE35204, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

struct BuiltInTypeRow {
    const char* name;
    TypeKind kind;
    Guid guid;
    uint16_t flags;
};

struct BuiltInParam {
    const char* name;
    uint16_t flags;
    TypeDescId type;
};

// Type indices are positions in the row table; type descriptions are appended as the
// members need them.
class BuiltInLibraryBuilder {
public:
    BuiltInLibraryBuilder(SysKind sysKind, std::span<const BuiltInTypeRow> rows);

    LibraryInfo& info() { return info_; }
    TypeInfo& type(int32_t index) { return info_.types[static_cast<size_t>(index)]; }
    static TypeHandle local(int32_t index) { return {TypeHandle::Kind::Local, index}; }

    TypeDescId simple(uint16_t vt) { return add(TypeDesc{vt, 0, {}, {}}); }
    TypeDescId pointerTo(TypeDescId element) { return add(TypeDesc{vt::Ptr, element, {}, {}}); }
    TypeDescId named(int32_t index) { return add(TypeDesc{vt::UserDefined, 0, local(index), {}}); }

    void alias(int32_t index, TypeDescId target) { type(index).aliasType = target; }
    void deriveFrom(int32_t index, TypeHandle base, uint16_t inheritedFunctions);

    // A vtable function of an interface whose functions are all [restricted], as
    // IUnknown's and IDispatch's are; member ids and offsets follow the position.
    void vtableFunction(int32_t owner, int32_t ancestors, const char* name, TypeDescId result,
                        std::initializer_list<BuiltInParam> params);
    void dispatchMethod(int32_t owner, int32_t memberId, const char* name,
                        std::initializer_list<BuiltInParam> params);
    void dispatchProperty(int32_t owner, int32_t memberId, const char* name, TypeDescId type,
                          uint16_t flags = 0);
    // An enumeration value, an INT.
    void constant(int32_t owner, const char* name, int64_t value);
    void implements(int32_t coclass, int32_t interface, int32_t flags);
    // A type of another library, named by its GUID.
    TypeHandle importByGuid(const ImportedLibrary& library, TypeKind kind, const Guid& guid);

    LibraryInfo finish();

private:
    TypeDescId add(TypeDesc desc);

    LibraryInfo info_;
};

// The indices of the Font and Picture types and of those their members use.
struct FontAndPictureTypes {
    int32_t font, iFont, stdFont, picture, iPicture, stdPicture;
    int32_t oleHandle, xPosHimetric, yPosHimetric, xSizeHimetric, ySizeHimetric;
};

// Font and Picture, the dispatch faces of IFont and IPicture (member ids as DISPID_FONT_*
// and DISPID_PICT_*), and the coclasses StdFont and StdPicture.
void addFontAndPicture(BuiltInLibraryBuilder& b, const FontAndPictureTypes& t);

}  // namespace vantrel
