// MSFT import info (one record per imported type) and import files (one per imported
// library). Records are decoded on first reference and appended, deduplicated, to
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
                LibraryInfo& library)
        : importInfo_(importInfo), importFiles_(importFiles), guids_(guids),
          codePage_(codePage), library_(library) {}

    // Index in importedTypes of the import-info record at this offset.
    Expected<int32_t> importedType(int32_t infoOffset);

private:
    Expected<int32_t> importedLibrary(int32_t fileOffset);

    ByteReader importInfo_;
    ByteReader importFiles_;
    ByteReader guids_;
    uint32_t codePage_;
    LibraryInfo& library_;
    std::unordered_map<int32_t, int32_t, SeededHash> typeByOffset_;
    std::unordered_map<int32_t, int32_t, SeededHash> libraryByOffset_;
};

}  // namespace vantrel
