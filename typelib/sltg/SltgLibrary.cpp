#include "typelib/sltg/SltgLibrary.h"

#include <unordered_map>

#include "typelib/model/TypeDescLookup.h"
#include "typelib/sltg/SltgFunction.h"
#include "typelib/sltg/SltgHeader.h"
#include "typelib/sltg/SltgHelpStrings.h"
#include "typelib/sltg/SltgImpl.h"
#include "typelib/sltg/SltgLibraryBlock.h"
#include "typelib/sltg/SltgNameTable.h"
#include "typelib/sltg/SltgReferences.h"
#include "typelib/sltg/SltgTypeInfoBlock.h"
#include "typelib/sltg/SltgTypeWords.h"
#include "typelib/sltg/SltgVariable.h"
#include "typelib/text/CodePage.h"

namespace vantrel {
namespace {

// The one place that chooses the code page of an SLTG library's names and strings: from
// its LCID, or for a neutral library from its names.
uint32_t sltgCodePage(const SltgLibraryBlock& library, uint32_t forced) {
    return libraryCodePage(
        library.lcid, [&](const RawTextVisitor& visit) { visitSltgNameTexts(library.nameTable, visit); }, forced);
}

std::string withFullStop(std::string text) {
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

// Reads the library's attributes and types when it is opened, with what each type's block
// says of its relations (bases, interfaces, an alias's type), and afterwards decodes a
// type's functions and variables when they are first asked for. It holds the library's
// bytes and the tables that decoding shares: names, help strings, type descriptions.
class SltgLibraryReader final : public MemberDecoder {
public:
    SltgLibraryReader(HeldBytes held, SltgBlocks blocks, SltgLibraryBlock block, uint32_t forcedCodePage,
                      LibraryInfo& library)
        : held_(std::move(held)), blocks_(std::move(blocks)), block_(std::move(block)),
          blobSize_(held_.bytes.size()), codePage_(sltgCodePage(block_, forcedCodePage)), texts_(library.texts),
          descs_(library.typeDescs), names_(block_.nameTable, codePage_, *texts_),
          helpStrings_(block_.helpDictionary, block_.helpMaxLength, codePage_, blobSize_, *texts_),
          imports_(names_, codePage_, library), typeDescs_(descs_, blobSize_ / 8) {}

    // Everything but the members, which `lazy`, the owner of this reader, decodes with it.
    Expected<void> read(LibraryInfo& library, const std::shared_ptr<LazyMembers>& lazy) {
        library.format = LibraryFormat::Sltg;
        library.sourceSize = blobSize_;
        library.codePage = codePage_;
        VANTREL_CHECK(readAttributes(library));
        for (size_t k = 0; k < blocks_.typeBlocks.size(); ++k) blockByName_.emplace(blocks_.typeBlocks[k].name, k);
        blockUsed_.assign(blocks_.typeBlocks.size(), false);
        library.types.resize(block_.types.size());
        memberAreas_.resize(block_.types.size());
        for (size_t i = 0; i < block_.types.size(); ++i) VANTREL_CHECK(readType(i, library, lazy));
        if (library.dispatchType.kind == TypeHandle::Kind::None) library.dispatchType = importedIDispatch(library);
        storeAutomationVarTypes(library.typeDescs);
        return {};
    }

    TypeMembers decode(size_t typeIndex) override {
        const size_t firstNewDesc = descs_.size();
        TypeMembers members;
        Expected<void> read = readMembers(memberAreas_[typeIndex], members);
        storeAutomationVarTypes(descs_, firstNewDesc);
        if (!read) {
            members = TypeMembers();
            members.error = read.error();
        }
        return members;
    }

private:
    // What a type's functions and variables are decoded from.
    struct MemberArea {
        SltgTypeInfoBlock info;
        std::vector<TypeHandle> references;
    };

    SltgMemberContext contextOf(const MemberArea& area) {
        return SltgMemberContext{descs_, names_, helpStrings_, typeDescs_, SltgTypeScope{area.info.members, area.references}};
    }

    Expected<void> readMembers(const MemberArea& area, TypeMembers& members) {
        SltgMemberContext context = contextOf(area);
        VANTREL_CHECK(readSltgFunctions(context, area.info, members));
        return readSltgVariables(context, area.info, members);
    }

    std::string text(const std::optional<std::span<const uint8_t>>& bytes) const {
        return bytes ? decodeText(*bytes, codePage_) : std::string();
    }

    Expected<void> readAttributes(LibraryInfo& library) {
        library.name = VANTREL_TRY(names_.name(block_.name));
        library.libid = block_.libid;
        library.lcid = block_.lcid;
        if (block_.sysKind > static_cast<uint16_t>(SysKind::Win64)) {
            return damaged("its library block names the unknown system kind " + std::to_string(block_.sysKind));
        }
        library.sysKind = static_cast<SysKind>(block_.sysKind);
        library.majorVersion = block_.majorVersion;
        library.minorVersion = block_.minorVersion;
        library.flags = block_.flags;
        library.docString = text(block_.docString);
        library.helpFile = text(block_.helpFile);
        library.helpContext = static_cast<int32_t>(block_.helpContext);
        return {};
    }

    // The record in the library block must be sound; damage in the type's block only
    // marks this type's members.
    Expected<void> readType(size_t index, LibraryInfo& library, const std::shared_ptr<LazyMembers>& lazy) {
        TypeInfo& type = library.types[index];
        const SltgTypeRecord& record = block_.types[index];
        Expected<std::string_view> name = names_.pooledName(record.name);
        if (!name) return damaged("type " + std::to_string(index) + ": " + name.error().description);
        type.name = *name;
        type.guid = record.guid;
        type.kind = static_cast<TypeKind>(record.kind);
        type.helpContext = static_cast<int32_t>(record.helpContext);
        Expected<void> rest = readTypeBlock(record, library, type, memberAreas_[index]);
        if (!rest) {
            type.editMembers().error = rest.error();
            type.implTypes.clear();
            type.baseType = {};
            type.aliasType.reset();
            return {};
        }
        const SltgTypeInfoBlock& info = memberAreas_[index].info;
        if (info.funcCount != 0 || info.varCount != 0) type.decodeMembersWith(lazy, index);
        return {};
    }

    Expected<const SltgBlock*> blockOf(const SltgTypeRecord& record) {
        const auto found = blockByName_.find(record.blockName);
        if (found == blockByName_.end()) return damaged("no block is named \"" + std::string(record.blockName) + "\"");
        if (blockUsed_[found->second]) return damaged("its block \"" + std::string(record.blockName) + "\" belongs to another type");
        blockUsed_[found->second] = true;
        return &blocks_.typeBlocks[found->second];
    }

    Expected<void> readTypeBlock(const SltgTypeRecord& record, LibraryInfo& library, TypeInfo& type, MemberArea& area) {
        if (record.docString) type.docString = VANTREL_TRY(helpStrings_.text(*record.docString));
        const SltgBlock* block = VANTREL_TRY(blockOf(record));
        area.info = VANTREL_TRY(readSltgTypeInfoBlock(block->bytes));
        const SltgTypeInfoBlock& info = area.info;
        type.flags = info.flags;
        type.majorVersion = info.majorVersion;
        type.minorVersion = info.minorVersion;
        type.sizeInstance = info.sizeInstance;
        type.alignment = info.alignment;
        type.sizeVtable = static_cast<int16_t>(info.sizeVtable);
        // A dual is stored as an interface; the model holds it as a dispinterface.
        if (type.kind == TypeKind::Interface && (type.flags & typeflag::Dual)) type.kind = TypeKind::Dispatch;
        if (info.references) area.references = VANTREL_TRY(readSltgReferences(*info.references, imports_));
        SltgMemberContext context = contextOf(area);
        return readRelations(context, info, library, type);
    }

    Expected<void> readRelations(SltgMemberContext& context, const SltgTypeInfoBlock& info, LibraryInfo& library,
                                 TypeInfo& type) {
        std::vector<ImplType> impls = VANTREL_TRY(readSltgImpls(context, info));
        const bool pureDispatch = type.kind == TypeKind::Dispatch && !type.isDual();
        if (pureDispatch && !impls.empty() && library.dispatchType.kind == TypeHandle::Kind::None) {
            library.dispatchType = impls.front().type;
        }
        if (type.kind == TypeKind::Coclass) {
            type.implTypes = std::move(impls);
        } else if (!pureDispatch && !impls.empty()) {
            type.baseType = impls.front().type;
        }
        if (type.kind == TypeKind::Alias) type.aliasType = VANTREL_TRY(typeDescs_.inlineOrAt(context.scope, info.aliasWord, info.aliasInline));
        return {};
    }

    // Without a dispinterface, whose one interface is IDispatch, the library names IDispatch
    // only as stdole's type 4 (in versions 1 and 2 alike), where a dual derives from it.
    static TypeHandle importedIDispatch(const LibraryInfo& library) {
        static constexpr Guid kStdole{0x00020430, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
        constexpr int32_t kIDispatchIndex = 4;
        for (size_t i = 0; i < library.importedTypes.size(); ++i) {
            const ImportedType& type = library.importedTypes[i];
            if (type.typeIndex == kIDispatchIndex && library.importedLibraries[static_cast<size_t>(type.library)].libid == kStdole)
                return TypeHandle{TypeHandle::Kind::Imported, static_cast<int32_t>(i)};
        }
        return {};
    }

    HeldBytes held_;
    SltgBlocks blocks_;
    SltgLibraryBlock block_;
    size_t blobSize_;
    uint32_t codePage_;
    std::shared_ptr<TextPool> texts_;
    GrowingTable<TypeDesc> descs_;  // shares the library's table
    SltgNameTable names_;
    SltgHelpStrings helpStrings_;
    SltgImports imports_;
    SltgTypeDescs typeDescs_;
    std::unordered_map<std::string_view, size_t> blockByName_;
    std::vector<bool> blockUsed_;
    std::vector<MemberArea> memberAreas_;  // by type index
};

Expected<LibraryInfo> readBlob(const HeldBytes& held, uint32_t forcedCodePage, std::optional<size_t> keptBytes) {
    const HeldBytes kept = held.trimmed();
    const ByteReader blob(kept.bytes, "the type library");
    SltgBlocks blocks = VANTREL_TRY(readSltgBlocks(blob));
    SltgLibraryBlock block = VANTREL_TRY(readSltgLibraryBlock(blocks.library));
    const size_t typeCount = block.types.size();
    LibraryInfo library;
    auto owned = std::make_unique<SltgLibraryReader>(kept, std::move(blocks), std::move(block), forcedCodePage, library);
    SltgLibraryReader& reader = *owned;
    const auto lazy = std::make_shared<LazyMembers>(std::move(owned), typeCount,
                                                    keptBytes.value_or(LazyMembers::keptBytesFor(blob.size())));
    VANTREL_CHECK(reader.read(library, lazy));
    return library;
}

}  // namespace

Expected<LibraryInfo> readSltgLibrary(const HeldBytes& blob, uint32_t forcedCodePage, std::optional<size_t> keptBytes) {
    Expected<LibraryInfo> info = readBlob(blob, forcedCodePage, keptBytes);
    if (!info) return makeError(info.error().number, withFullStop(info.error().description));
    return info;
}

}  // namespace vantrel
