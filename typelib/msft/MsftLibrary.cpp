#include "typelib/msft/MsftLibrary.h"

#include <utility>
#include <vector>

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

namespace vantrel {
namespace {

// Reads the library's attributes and types when it is opened, and afterwards decodes a
// type's members when they are first asked for. It holds the library's bytes and the
// tables that decoding shares: names, strings, type descriptions, imports.
class MsftLibraryReader final : public MemberDecoder {
public:
    MsftLibraryReader(HeldBytes held, const MsftHeader& header, const MsftSegments& segments, uint32_t codePage,
                      LibraryInfo& library)
        : held_(std::move(held)), blob_(held_.bytes, "it"), header_(header), segments_(segments),
          codePage_(codePage), texts_(library.texts),
          names_(segments.names, codePage_, *texts_),
          strings_(segments.strings, codePage_, *texts_),
          imports_(segments.importInfo, segments.importFiles, segments.guids, codePage_, library),
          hrefTypes_(header.typeCount, imports_),
          typeDescs_(segments.typeDescs, segments.arrayDescs, hrefTypes_, library.typeDescs),
          values_(segments.customData, codePage_, *texts_),
          memberTables_{blob_, names_, strings_, typeDescs_, values_} {}

    // Everything but the members, which `lazy`, the owner of this reader, decodes with it.
    Expected<void> read(LibraryInfo& library, const std::shared_ptr<LazyMembers>& lazy) {
        imports_.decodeAll();
        VANTREL_CHECK(readAttributes(library));
        library.types.resize(static_cast<size_t>(header_.typeCount));
        for (int32_t i = 0; i < header_.typeCount; ++i)
            VANTREL_CHECK(readType(i, library.types[static_cast<size_t>(i)], lazy));
        return {};
    }

    TypeMembers decode(size_t typeIndex) override {
        TypeMembers members;
        Expected<void> read = readMembers(typeIndex, members);
        if (!read) {
            members = TypeMembers();
            members.error = read.error();
        }
        return members;
    }

private:
    Expected<void> readMembers(size_t typeIndex, TypeMembers& members) {
        claimAllRecordBytes();
        if (overlapping_[typeIndex]) return damaged("its member records overlap those of other members");
        const MsftTypeInfoEntry entry = VANTREL_TRY(readMsftTypeInfoEntry(segments_.typeInfos, static_cast<int32_t>(typeIndex)));
        return readMsftMembers(memberTables_, entry, static_cast<TypeKind>(entry.kind()), members);
    }

    Expected<void> readAttributes(LibraryInfo& library) {
        std::string_view name;
        VANTREL_CHECK(names_.pooledName(header_.name, name));
        library.name = name;
        library.libid = VANTREL_TRY(readMsftGuid(segments_.guids, header_.libidGuid));
        library.lcid = header_.libraryLcid;
        library.codePage = codePage_;
        library.sysKind = static_cast<SysKind>(header_.sysKind());
        library.majorVersion = header_.majorVersion;
        library.minorVersion = header_.minorVersion;
        library.flags = header_.libFlags;
        library.docString = VANTREL_TRY(strings_.text(header_.helpString));
        library.helpFile = VANTREL_TRY(strings_.text(header_.helpFile));
        library.helpContext = header_.helpContext;
        library.sourceSize = blob_.size();
        library.dispatchType = VANTREL_TRY(hrefTypes_.resolve(header_.dispatchHref));
        overlapping_.assign(static_cast<size_t>(header_.typeCount), false);
        return {};
    }

    // The entry itself must be sound; damage past it only marks this type's members.
    Expected<void> readType(int32_t index, TypeInfo& type, const std::shared_ptr<LazyMembers>& lazy) {
        const MsftTypeInfoEntry entry = VANTREL_TRY(readMsftTypeInfoEntry(segments_.typeInfos, index));
        const auto typeError = [&](const Error& error) {
            return damaged("type " + std::to_string(index) + ": " + error.description);
        };
        std::string_view name;
        if (Expected<void> named = names_.pooledName(entry.name, name); !named) return typeError(named.error());
        Expected<Guid> guid = readMsftGuid(segments_.guids, entry.guid);
        if (!guid) return typeError(guid.error());
        type.name = name;
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
            type.editMembers().error = rest.error();
            return {};
        }
        if (entry.funcCount == 0 && entry.varCount == 0) return {};
        const auto at = static_cast<size_t>(index);
        unclaimedBlocks_.push_back({at, entry.memberBlock});
        type.decodeMembersWith(lazy, at);
        return {};
    }

    // In a sound file no two member blocks share bytes: together they claim no more
    // record bytes than the file has. Types whose blocks would pass that are damaged,
    // so that blocks repeated across types can't make decoding every type take time
    // out of proportion to the file. Counted in type order, whichever type is asked
    // for first, and only then: listing the types reads no member block. A block that
    // can't be read is left to its type's decoding.
    void claimAllRecordBytes() {
        for (const auto& [index, block] : unclaimedBlocks_) {
            if (!blob_.contains(block, 4)) continue;
            const int32_t recordBytes = blob_.i32Unchecked(static_cast<size_t>(block));
            if (recordBytes < 0 || !blob_.contains(int64_t{block} + 4, recordBytes)) continue;
            const auto claimed = static_cast<size_t>(recordBytes);
            if (claimed > recordBytesLeft_) {
                overlapping_[index] = true;
                continue;
            }
            recordBytesLeft_ -= claimed;
        }
        unclaimedBlocks_ = {};
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
        return {};
    }

    HeldBytes held_;
    ByteReader blob_;
    MsftHeader header_;
    MsftSegments segments_;
    uint32_t codePage_;
    std::shared_ptr<TextPool> texts_;
    MsftNameTable names_;
    MsftStringTable strings_;
    MsftImports imports_;
    MsftHrefTypes hrefTypes_;
    MsftTypeDescs typeDescs_;
    MsftValues values_;
    MsftMemberTables memberTables_;
    size_t implBudget_ = segments_.references.size() / 16;
    size_t recordBytesLeft_ = blob_.size();
    std::vector<bool> overlapping_;
    std::vector<std::pair<size_t, int32_t>> unclaimedBlocks_;  // type index, member block offset
};

}  // namespace

Expected<LibraryInfo> readMsftLibrary(const HeldBytes& held, uint32_t forcedCodePage, std::optional<size_t> keptBytes) {
    const HeldBytes kept = held.trimmed();
    const ByteReader blob(kept.bytes, "it");
    const MsftHeader header = VANTREL_TRY(readMsftHeader(blob));
    const MsftSegments segments = VANTREL_TRY(readMsftSegments(blob, header.segmentDirectory));
    if (segments.typeInfos.size() < static_cast<size_t>(header.typeCount) * kMsftTypeInfoEntrySize) {
        return damaged("the typeinfo table is too short for the " + std::to_string(header.typeCount) +
                       " types the header claims");
    }
    const uint32_t codePage = libraryCodePage(
        header.libraryLcid, [&](const RawTextVisitor& visit) { visitMsftRawTexts(segments, visit); }, forcedCodePage);
    LibraryInfo library;
    auto owned = std::make_unique<MsftLibraryReader>(kept, header, segments, codePage, library);
    MsftLibraryReader& reader = *owned;
    const auto lazy = std::make_shared<LazyMembers>(std::move(owned), static_cast<size_t>(header.typeCount),
                                                    keptBytes.value_or(LazyMembers::keptBytesFor(blob.size())));
    VANTREL_CHECK(reader.read(library, lazy));
    return library;
}

Expected<LibraryInfo> readMsftLibrary(std::span<const uint8_t> blob, uint32_t forcedCodePage) {
    return readMsftLibrary(HeldBytes::copyOf(blob), forcedCodePage);
}

}  // namespace vantrel
