#include "typelib/msft/MsftImports.h"
#include "typelib/file/Messages.h"

#include <string>

#include "typelib/text/CodePage.h"
#include "typelib/msft/MsftGuidTable.h"

namespace vantrel {
namespace {

constexpr uint8_t kImportByGuid = 0x1;
constexpr int64_t kImportInfoSize = 12;
constexpr int64_t kImportFileHeaderSize = 14;

}  // namespace

Expected<int32_t> MsftImports::importedType(int32_t infoOffset) {
    if (auto found = typeByOffset_.find(infoOffset); found != typeByOffset_.end()) return found->second;
    if (!importInfo_.contains(infoOffset, kImportInfoSize)) {
        return damaged(pointsOutside("a type reference", infoOffset, "the import-info table", importInfo_.size()));
    }
    const size_t at = static_cast<size_t>(infoOffset);
    const uint8_t flags = importInfo_.bytes()[at + 2];
    const uint8_t kind = importInfo_.bytes()[at + 3];
    const int32_t fileOffset = importInfo_.i32Unchecked(at + 4);
    const int32_t guidOrIndex = importInfo_.i32Unchecked(at + 8);
    if (kind > static_cast<uint8_t>(TypeKind::Union)) {
        return damaged("an imported type has the unknown type kind " + std::to_string(kind));
    }
    ImportedType imported;
    imported.library = VANTREL_TRY(importedLibrary(fileOffset));
    imported.kind = static_cast<TypeKind>(kind);
    imported.byGuid = (flags & kImportByGuid) != 0;
    if (imported.byGuid) {
        imported.guid = VANTREL_TRY(readMsftGuid(guids_, guidOrIndex));
    } else {
        if (guidOrIndex < 0) return damaged("an imported type has the negative index " + std::to_string(guidOrIndex));
        imported.typeIndex = guidOrIndex;
    }
    const auto index = static_cast<int32_t>(types_.size());
    types_.push_back(imported);
    typeByOffset_.emplace(infoOffset, index);
    return index;
}

void MsftImports::decodeAll() {
    for (int64_t at = 0; importInfo_.contains(at, kImportInfoSize); at += kImportInfoSize)
        (void)importedType(static_cast<int32_t>(at));
}

Expected<int32_t> MsftImports::importedLibrary(int32_t fileOffset) {
    if (auto found = libraryByOffset_.find(fileOffset); found != libraryByOffset_.end()) return found->second;
    if (!importFiles_.contains(fileOffset, kImportFileHeaderSize)) {
        return damaged(pointsOutside("an imported type", fileOffset, "the import-file table", importFiles_.size()));
    }
    const size_t at = static_cast<size_t>(fileOffset);
    ImportedLibrary imported;
    imported.libid = VANTREL_TRY(readMsftGuid(guids_, importFiles_.i32Unchecked(at)));
    imported.lcid = importFiles_.u32Unchecked(at + 4);
    imported.majorVersion = importFiles_.u16Unchecked(at + 8);
    imported.minorVersion = importFiles_.u16Unchecked(at + 10);
    const uint16_t nameLength = static_cast<uint16_t>(importFiles_.u16Unchecked(at + 12) >> 2);
    const auto name = VANTREL_TRY(importFiles_.span(fileOffset + kImportFileHeaderSize, nameLength));
    imported.fileName = decodeText(name, codePage_);
    const auto index = static_cast<int32_t>(libraries_.size());
    libraries_.push_back(std::move(imported));
    libraryByOffset_.emplace(fileOffset, index);
    return index;
}

}  // namespace vantrel
