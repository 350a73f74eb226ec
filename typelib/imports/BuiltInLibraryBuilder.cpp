#include "typelib/imports/BuiltInLibraryBuilder.h"

#include <string>
#include <utility>
#include <vector>

#include "typelib/model/TypeDescLookup.h"

namespace vantrel {

BuiltInLibraryBuilder::BuiltInLibraryBuilder(SysKind sysKind, std::span<const BuiltInTypeRow> rows) {
    info_.sysKind = sysKind;
    for (const BuiltInTypeRow& row : rows) {
        TypeInfo& type = info_.types.emplace_back();
        type.name = row.name;
        type.kind = row.kind;
        type.guid = row.guid;
        type.flags = row.flags;
    }
}

void BuiltInLibraryBuilder::deriveFrom(int32_t index, TypeHandle base, uint16_t inheritedFunctions) {
    type(index).baseType = base;
    type(index).inheritedFunctions = inheritedFunctions;
}

void BuiltInLibraryBuilder::vtableFunction(int32_t owner, int32_t ancestors, const char* name,
                                           TypeDescId result, std::initializer_list<BuiltInParam> params) {
    TypeInfo& type = this->type(owner);
    TypeMembers& members = type.editMembers();
    FuncDesc func;
    const auto position = static_cast<int32_t>(members.funcs.size());
    const int32_t slot = 3 * (ancestors > 0) + position;
    const auto pointerSize = static_cast<int32_t>(info_.pointerSize());
    func.name = name;
    func.memberId = 0x60000000 | (ancestors << 16) | position;
    func.funcKind = FuncKind::PureVirtual;
    func.flags = funcflag::Restricted;
    func.vtableOffset = static_cast<int16_t>(slot * pointerSize);
    func.returnType = result;
    std::vector<ParamDesc> rows;
    for (const BuiltInParam& row : params) rows.push_back(ParamDesc{row.name, row.type, row.flags, {}});
    members.addFunction(std::move(func), rows);
    type.sizeVtable = static_cast<int16_t>((slot + 1) * pointerSize);
}

void BuiltInLibraryBuilder::dispatchMethod(int32_t owner, int32_t memberId, const char* name,
                                           std::initializer_list<BuiltInParam> params) {
    FuncDesc func;
    func.name = name;
    func.memberId = memberId;
    func.funcKind = FuncKind::Dispatch;
    func.returnType = simple(vt::Void);
    std::vector<ParamDesc> rows;
    for (const BuiltInParam& row : params) rows.push_back(ParamDesc{row.name, row.type, row.flags, {}});
    type(owner).editMembers().addFunction(std::move(func), rows);
}

void BuiltInLibraryBuilder::dispatchProperty(int32_t owner, int32_t memberId, const char* name,
                                             TypeDescId type, uint16_t flags) {
    VarDesc& var = this->type(owner).editMembers().vars.emplace_back();
    var.name = name;
    var.memberId = memberId;
    var.varKind = VarKind::Dispatch;
    var.flags = flags;
    var.type = type;
}

void BuiltInLibraryBuilder::constant(int32_t owner, const char* name, int64_t value) {
    std::vector<VarDesc>& vars = this->type(owner).editMembers().vars;
    VarDesc& var = vars.emplace_back();
    var.name = name;
    var.memberId = 0x40000000 + static_cast<int32_t>(vars.size() - 1);
    var.varKind = VarKind::Const;
    var.type = simple(vt::Int);
    var.constantValue = Variant{vt::Int, value};
}

void BuiltInLibraryBuilder::implements(int32_t coclass, int32_t interface, int32_t flags) {
    type(coclass).implTypes.push_back(ImplType{local(interface), flags});
}

TypeHandle BuiltInLibraryBuilder::importByGuid(const ImportedLibrary& library, TypeKind kind,
                                               const Guid& guid) {
    int32_t libraryIndex = -1;
    for (size_t i = 0; i < info_.importedLibraries.size(); ++i)
        if (info_.importedLibraries[i].libid == library.libid) libraryIndex = static_cast<int32_t>(i);
    if (libraryIndex < 0) {
        info_.importedLibraries.push_back(library);
        libraryIndex = static_cast<int32_t>(info_.importedLibraries.size() - 1);
    }
    info_.importedTypes.push_back(ImportedType{libraryIndex, kind, true, guid, -1});
    return {TypeHandle::Kind::Imported, static_cast<int32_t>(info_.importedTypes.size() - 1)};
}

LibraryInfo BuiltInLibraryBuilder::finish() {
    storeAutomationVarTypes(info_.typeDescs);
    return std::move(info_);
}

TypeDescId BuiltInLibraryBuilder::add(TypeDesc desc) {
    info_.typeDescs.push_back(std::move(desc));
    return static_cast<TypeDescId>(info_.typeDescs.size() - 1);
}

void addFontAndPicture(BuiltInLibraryBuilder& b, const FontAndPictureTypes& t) {
    const TypeDescId boolean = b.simple(vt::Bool);
    b.dispatchProperty(t.font, 0, "Name", b.simple(vt::Bstr));
    b.dispatchProperty(t.font, 2, "Size", b.simple(vt::Cy));
    b.dispatchProperty(t.font, 3, "Bold", boolean);
    b.dispatchProperty(t.font, 4, "Italic", boolean);
    b.dispatchProperty(t.font, 5, "Underline", boolean);
    b.dispatchProperty(t.font, 6, "Strikethrough", boolean);
    b.dispatchProperty(t.font, 7, "Weight", b.simple(vt::I2));
    b.dispatchProperty(t.font, 8, "Charset", b.simple(vt::I2));
    b.implements(t.stdFont, t.font, impltypeflag::Default);
    b.implements(t.stdFont, t.iFont, 0);

    const TypeDescId handle = b.named(t.oleHandle);
    b.dispatchProperty(t.picture, 0, "Handle", handle, varflag::ReadOnly);
    b.dispatchProperty(t.picture, 2, "hPal", handle);
    b.dispatchProperty(t.picture, 3, "Type", b.simple(vt::I2), varflag::ReadOnly);
    b.dispatchProperty(t.picture, 4, "Width", b.named(t.xSizeHimetric), varflag::ReadOnly);
    b.dispatchProperty(t.picture, 5, "Height", b.named(t.ySizeHimetric), varflag::ReadOnly);
    // Render's parameters carry no direction.
    const TypeDescId i4 = b.simple(vt::I4);
    b.dispatchMethod(t.picture, 6, "Render",
                     {{"hdc", 0, b.simple(vt::Int)},
                      {"x", 0, i4},
                      {"y", 0, i4},
                      {"cx", 0, i4},
                      {"cy", 0, i4},
                      {"xSrc", 0, b.named(t.xPosHimetric)},
                      {"ySrc", 0, b.named(t.yPosHimetric)},
                      {"cxSrc", 0, b.named(t.xSizeHimetric)},
                      {"cySrc", 0, b.named(t.ySizeHimetric)},
                      {"prcWBounds", 0, b.pointerTo(b.simple(vt::Void))}});
    b.implements(t.stdPicture, t.picture, impltypeflag::Default);
    b.implements(t.stdPicture, t.iPicture, 0);
}

}  // namespace vantrel
