// MSFT import info (one record per imported type) and import files (one per imported
// library). Records are decoded once and appended, deduplicated, to
// LibraryInfo::importedTypes and importedLibraries.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "typelib/file/SeededHash.h"

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

class MsftImports {
public:
    MsftImports(ByteReader importInfo, ByteReader importFiles, ByteReader guids, uint32_t codePage,
                const LibraryInfo& library)
        : importInfo_(importInfo), importFiles_(importFiles), guids_(guids),
          codePage_(codePage), types_(library.importedTypes), libraries_(library.importedLibraries) {}

    // Index in importedTypes of the import-info record at this offset.
    Expected<int32_t> importedType(int32_t infoOffset);
    // Every sound record, in table order, so that the library lists what it imports
    // before any member that names an import is decoded. A damaged record is left to
    // the member that names it.
    void decodeAll();

private:
    Expected<int32_t> importedLibrary(int32_t fileOffset);

    ByteReader importInfo_;
    ByteReader importFiles_;
    ByteReader guids_;
    uint32_t codePage_;
    // The library's tables, shared: records decoded after it was opened land there too.
    GrowingTable<ImportedType> types_;
    GrowingTable<ImportedLibrary> libraries_;
    std::unordered_map<int32_t, int32_t, SeededHash> typeByOffset_;
    std::unordered_map<int32_t, int32_t, SeededHash> libraryByOffset_;
};

}  // namespace vantrel
