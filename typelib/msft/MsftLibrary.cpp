#include "typelib/msft/MsftLibrary.h"

#include "typelib/file/ByteReader.h"
#include "typelib/text/CodePage.h"
#include "typelib/msft/MsftGuidTable.h"
#include "typelib/msft/MsftHeader.h"
#include "typelib/msft/MsftHrefType.h"
#include "typelib/msft/MsftImports.h"
#include "typelib/msft/MsftMembers.h"
#include "typelib/msft/MsftNameTable.h"
#include "typelib/msft/MsftRawTexts.h"
#include "typelib/msft/MsftReferences.h"
#include "typelib/msft/MsftSegments.h"
#include "typelib/msft/MsftStringTable.h"
#include "typelib/msft/MsftTypeDescs.h"
#include "typelib/msft/MsftTypeInfoEntry.h"
#include "typelib/msft/MsftValues.h"
#include "typelib/model/TypeDescLookup.h"

namespace vantrel {
namespace {

class MsftLibraryReader {
public:
    MsftLibraryReader(const ByteReader& blob, const MsftHeader& header, const MsftSegments& segments,
                      uint32_t codePage)
        : blob_(blob), header_(header), segments_(segments), codePage_(codePage),
          names_(segments.names, codePage_, *library_.texts),
          strings_(segments.strings, codePage_, *library_.texts),
          imports_(segments.importInfo, segments.importFiles, segments.guids, codePage_, library_),
          hrefTypes_(header.typeCount, imports_),
          typeDescs_(segments.typeDescs, segments.arrayDescs, hrefTypes_, library_.typeDescs),
          values_(segments.customData, codePage_, *library_.texts),
          memberTables_{blob_, names_, strings_, typeDescs_, values_} {}

    Expected<LibraryInfo> read() {
        VANTREL_CHECK(readAttributes());
        library_.types.resize(static_cast<size_t>(header_.typeCount));
        for (int32_t i = 0; i < header_.typeCount; ++i) {
            VANTREL_CHECK(readType(i, library_.types[static_cast<size_t>(i)]));
        }
        storeAutomationVarTypes(library_);
        return std::move(library_);
    }

private:
    Expected<void> readAttributes() {
        library_.name = VANTREL_TRY(names_.pooledName(header_.name));
        library_.libid = VANTREL_TRY(readMsftGuid(segments_.guids, header_.libidGuid));
        library_.lcid = header_.libraryLcid;
        library_.codePage = codePage_;
        library_.sysKind = static_cast<SysKind>(header_.sysKind());
        library_.majorVersion = header_.majorVersion;
        library_.minorVersion = header_.minorVersion;
        library_.flags = header_.libFlags;
        library_.docString = VANTREL_TRY(strings_.text(header_.helpString));
        library_.helpFile = VANTREL_TRY(strings_.text(header_.helpFile));
        library_.helpContext = header_.helpContext;
        library_.sourceSize = blob_.size();
        library_.dispatchType = VANTREL_TRY(hrefTypes_.resolve(header_.dispatchHref));
        return {};
    }

    // The entry itself must be sound; damage past it only marks this type's members.
    Expected<void> readType(int32_t index, TypeInfo& type) {
        const MsftTypeInfoEntry entry = VANTREL_TRY(readMsftTypeInfoEntry(segments_.typeInfos, index));
        const auto typeError = [&](const Error& error) {
            return damaged("type " + std::to_string(index) + ": " + error.description);
        };
        Expected<std::string_view> name = names_.pooledName(entry.name);
        if (!name) return typeError(name.error());
        Expected<Guid> guid = readMsftGuid(segments_.guids, entry.guid);
        if (!guid) return typeError(guid.error());
        type.name = *name;
        type.guid = *guid;
        type.kind = static_cast<TypeKind>(entry.kind());
        type.flags = entry.flags;
        type.majorVersion = entry.majorVersion;
        type.minorVersion = entry.minorVersion;
        type.alignment = entry.alignment();
        type.sizeInstance = entry.sizeInstance;
        type.sizeVtable = entry.sizeVtable;
        type.helpContext = entry.helpContext;
        if (Expected<void> rest = readTypeDetails(entry, type); !rest) {
            type.memberError = rest.error();
            type.funcs.clear();
            type.params.clear();
            type.vars.clear();
        }
        return {};
    }

    Expected<void> readTypeDetails(const MsftTypeInfoEntry& entry, TypeInfo& type) {
        type.docString = VANTREL_TRY(strings_.text(entry.docString));
        switch (type.kind) {
            case TypeKind::Interface:
                type.baseType = VANTREL_TRY(hrefTypes_.resolve(entry.dataType1));
                type.inheritedFunctions = static_cast<uint16_t>(static_cast<uint32_t>(entry.dataType2) >> 16);
                break;
            case TypeKind::Dispatch:
                if (type.flags & typeflag::Dual) {
                    type.baseType = VANTREL_TRY(hrefTypes_.resolve(entry.dataType1));
                    type.inheritedFunctions = static_cast<uint16_t>(static_cast<uint32_t>(entry.dataType2) >> 16);
                } else {
                    // -1, or the interface the dispinterface wraps.
                    type.wrappedInterface = VANTREL_TRY(hrefTypes_.resolve(entry.dataType1));
                }
                break;
            case TypeKind::Coclass:
                type.implTypes = VANTREL_TRY(
                    readMsftImplTypes(segments_.references, entry.dataType1, entry.implTypeCount, hrefTypes_, implBudget_));
                break;
            case TypeKind::Alias:
                type.aliasType = VANTREL_TRY(typeDescs_.typeOf(entry.dataType1));
                break;
            case TypeKind::Module:
                type.dllName = VANTREL_TRY(strings_.text(entry.dataType1));
                break;
            default:
                break;
        }
        return readMsftMembers(memberTables_, entry, type);
    }

    const ByteReader& blob_;
    const MsftHeader& header_;
    const MsftSegments& segments_;
    uint32_t codePage_;
    LibraryInfo library_;
    MsftNameTable names_;
    MsftStringTable strings_;
    MsftImports imports_;
    MsftHrefTypes hrefTypes_;
    MsftTypeDescs typeDescs_;
    MsftValues values_;
    MsftMemberTables memberTables_;
    size_t implBudget_ = segments_.references.size() / 16;
};

}  // namespace

Expected<LibraryInfo> readMsftLibrary(std::span<const uint8_t> bytes, uint32_t forcedCodePage) {
    const ByteReader blob(bytes, "it");
    const MsftHeader header = VANTREL_TRY(readMsftHeader(blob));
    const MsftSegments segments = VANTREL_TRY(readMsftSegments(blob, header.segmentDirectory));
    if (segments.typeInfos.size() < static_cast<size_t>(header.typeCount) * kMsftTypeInfoEntrySize) {
        return damaged("the typeinfo table is too short for the " + std::to_string(header.typeCount) +
                       " types the header claims");
    }
    const uint32_t codePage = libraryCodePage(
        header.libraryLcid, [&](const RawTextVisitor& visit) { visitMsftRawTexts(segments, visit); }, forcedCodePage);
    MsftLibraryReader reader(blob, header, segments, codePage);
    return reader.read();
}

}  // namespace vantrel
