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

class SltgLibraryReader {
public:
    SltgLibraryReader(const SltgBlocks& blocks, const SltgLibraryBlock& block, size_t blobSize, uint32_t forcedCodePage)
        : blocks_(blocks), block_(block), blobSize_(blobSize), codePage_(sltgCodePage(block, forcedCodePage)),
          names_(block.nameTable, codePage_, *library_.texts),
          helpStrings_(block.helpDictionary, block.helpMaxLength, codePage_, blobSize, *library_.texts),
          imports_(names_, codePage_, library_),
          typeDescs_(library_.typeDescs, blobSize / 8) {}

    Expected<LibraryInfo> read() {
        library_.format = LibraryFormat::Sltg;
        library_.sourceSize = blobSize_;
        library_.codePage = codePage_;
        VANTREL_CHECK(readAttributes());
        for (size_t k = 0; k < blocks_.typeBlocks.size(); ++k) blockByName_.emplace(blocks_.typeBlocks[k].name, k);
        blockUsed_.assign(blocks_.typeBlocks.size(), false);
        library_.types.resize(block_.types.size());
        for (size_t i = 0; i < block_.types.size(); ++i) VANTREL_CHECK(readType(i, library_.types[i]));
        if (library_.dispatchType.kind == TypeHandle::Kind::None) library_.dispatchType = importedIDispatch();
        storeAutomationVarTypes(library_.typeDescs);
        return std::move(library_);
    }

private:
    std::string text(const std::optional<std::span<const uint8_t>>& bytes) const {
        return bytes ? decodeText(*bytes, codePage_) : std::string();
    }

    Expected<void> readAttributes() {
        library_.name = VANTREL_TRY(names_.name(block_.name));
        library_.libid = block_.libid;
        library_.lcid = block_.lcid;
        if (block_.sysKind > static_cast<uint16_t>(SysKind::Win64)) {
            return damaged("its library block names the unknown system kind " + std::to_string(block_.sysKind));
        }
        library_.sysKind = static_cast<SysKind>(block_.sysKind);
        library_.majorVersion = block_.majorVersion;
        library_.minorVersion = block_.minorVersion;
        library_.flags = block_.flags;
        library_.docString = text(block_.docString);
        library_.helpFile = text(block_.helpFile);
        library_.helpContext = static_cast<int32_t>(block_.helpContext);
        return {};
    }

    // The record in the library block must be sound; damage in the type's block only
    // marks this type's members.
    Expected<void> readType(size_t index, TypeInfo& type) {
        const SltgTypeRecord& record = block_.types[index];
        Expected<std::string_view> name = names_.pooledName(record.name);
        if (!name) return damaged("type " + std::to_string(index) + ": " + name.error().description);
        type.name = *name;
        type.guid = record.guid;
        type.kind = static_cast<TypeKind>(record.kind);
        type.helpContext = static_cast<int32_t>(record.helpContext);
        if (Expected<void> rest = readTypeBlock(record, type); !rest) {
            type.editMembers() = TypeMembers();
            type.editMembers().error = rest.error();
            type.implTypes.clear();
            type.baseType = {};
            type.aliasType.reset();
        }
        return {};
    }

    Expected<const SltgBlock*> blockOf(const SltgTypeRecord& record) {
        const auto found = blockByName_.find(record.blockName);
        if (found == blockByName_.end()) return damaged("no block is named \"" + std::string(record.blockName) + "\"");
        if (blockUsed_[found->second]) return damaged("its block \"" + std::string(record.blockName) + "\" belongs to another type");
        blockUsed_[found->second] = true;
        return &blocks_.typeBlocks[found->second];
    }

    Expected<void> readTypeBlock(const SltgTypeRecord& record, TypeInfo& type) {
        if (record.docString) type.docString = VANTREL_TRY(helpStrings_.text(*record.docString));
        const SltgBlock* block = VANTREL_TRY(blockOf(record));
        const SltgTypeInfoBlock info = VANTREL_TRY(readSltgTypeInfoBlock(block->bytes));
        type.flags = info.flags;
        type.majorVersion = info.majorVersion;
        type.minorVersion = info.minorVersion;
        type.sizeInstance = info.sizeInstance;
        type.alignment = info.alignment;
        type.sizeVtable = static_cast<int16_t>(info.sizeVtable);
        // A dual is stored as an interface; the model holds it as a dispinterface.
        if (type.kind == TypeKind::Interface && (type.flags & typeflag::Dual)) type.kind = TypeKind::Dispatch;
        std::vector<TypeHandle> references;
        if (info.references) references = VANTREL_TRY(readSltgReferences(*info.references, imports_));
        SltgMemberContext context{library_, names_, helpStrings_, typeDescs_, SltgTypeScope{info.members, references},
                                  codePage_};
        VANTREL_CHECK(readRelations(context, info, type));
        TypeMembers& members = type.editMembers();
        VANTREL_CHECK(readSltgFunctions(context, info, members));
        return readSltgVariables(context, info, members);
    }

    Expected<void> readRelations(SltgMemberContext& context, const SltgTypeInfoBlock& info, TypeInfo& type) {
        std::vector<ImplType> impls = VANTREL_TRY(readSltgImpls(context, info));
        const bool pureDispatch = type.kind == TypeKind::Dispatch && !type.isDual();
        if (pureDispatch && !impls.empty() && library_.dispatchType.kind == TypeHandle::Kind::None) {
            library_.dispatchType = impls.front().type;
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
    TypeHandle importedIDispatch() const {
        static constexpr Guid kStdole{0x00020430, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
        constexpr int32_t kIDispatchIndex = 4;
        for (size_t i = 0; i < library_.importedTypes.size(); ++i) {
            const ImportedType& type = library_.importedTypes[i];
            if (type.typeIndex == kIDispatchIndex && library_.importedLibraries[static_cast<size_t>(type.library)].libid == kStdole)
                return TypeHandle{TypeHandle::Kind::Imported, static_cast<int32_t>(i)};
        }
        return {};
    }

    const SltgBlocks& blocks_;
    const SltgLibraryBlock& block_;
    size_t blobSize_;
    uint32_t codePage_;
    LibraryInfo library_;
    SltgNameTable names_;
    SltgHelpStrings helpStrings_;
    SltgImports imports_;
    SltgTypeDescs typeDescs_;
    std::unordered_map<std::string_view, size_t> blockByName_;
    std::vector<bool> blockUsed_;
};

Expected<LibraryInfo> readBlob(std::span<const uint8_t> bytes, uint32_t forcedCodePage) {
    const ByteReader blob(bytes, "the type library");
    const SltgBlocks blocks = VANTREL_TRY(readSltgBlocks(blob));
    const SltgLibraryBlock library = VANTREL_TRY(readSltgLibraryBlock(blocks.library));
    SltgLibraryReader reader(blocks, library, bytes.size(), forcedCodePage);
    return reader.read();
}

}  // namespace

Expected<LibraryInfo> readSltgLibrary(std::span<const uint8_t> bytes, uint32_t forcedCodePage) {
    Expected<LibraryInfo> info = readBlob(bytes, forcedCodePage);
    if (!info) return makeError(info.error().number, withFullStop(info.error().description));
    return info;
}

}  // namespace vantrel
