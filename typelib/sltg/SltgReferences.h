// SLTG type references. A typeinfo block's reference table holds one string per type it
// names: "*\R<hex>*#<hex n>", where <hex> ffff means type n of this library and any other
// value is the name offset of "*\G{LIBID}#major.minor#lcid#path#", an imported library
// whose type n is meant. Imported libraries and types are appended, each once, to
// LibraryInfo::importedLibraries and importedTypes.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"
#include "typelib/sltg/SltgNameTable.h"

namespace vantrel {

class SltgImports {
public:
    SltgImports(SltgNameTable& names, uint32_t codePage, LibraryInfo& library)
        : names_(names), codePage_(codePage), library_(library) {}

    // The type that one reference string names.
    Expected<TypeHandle> resolve(std::string_view reference);

private:
    Expected<int32_t> importedLibrary(uint16_t nameOffset);

    SltgNameTable& names_;
    uint32_t codePage_;
    LibraryInfo& library_;
    std::unordered_map<uint16_t, int32_t> libraryByName_;
    std::map<std::pair<int32_t, uint32_t>, int32_t> typeByPlace_;
};

// The types a block's reference table names, by position: a type word's reference r
// means entry r / 4.
Expected<std::vector<TypeHandle>> readSltgReferences(const ByteReader& table, SltgImports& imports);

}  // namespace vantrel
