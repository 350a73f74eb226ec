#include "typelib/sltg/SltgLibraryBlock.h"

#include <string>

#include "typelib/sltg/SltgCursor.h"

namespace vantrel {
namespace {

constexpr uint16_t kLibraryMagic = 0x51CC;
constexpr int64_t kTypeHashSize = 64;
// The smallest type record: empty strings, no doc string.
constexpr int64_t kTypeRecordMinSize = 2 + 2 + 2 + 2 + 2 + 2 + 4 + 2 + 16 + 2;
// The name table's header: the 256 hash buckets and their frame.
constexpr int64_t kNameHashSize = 0x210;

Expected<void> readAttributes(SltgCursor& at, SltgLibraryBlock& library) {
    if (VANTREL_TRY(at.u16()) != kLibraryMagic) return damaged("its library block does not start with its signature");
    VANTREL_CHECK(at.skip(2));
    library.name = VANTREL_TRY(at.u16());
    VANTREL_CHECK(at.skip(2));
    library.docString = VANTREL_TRY(at.counted());
    library.helpFile = VANTREL_TRY(at.counted());
    library.helpContext = VANTREL_TRY(at.u32());
    library.sysKind = VANTREL_TRY(at.u16());
    library.lcid = VANTREL_TRY(at.u16());
    VANTREL_CHECK(at.skip(4));
    library.flags = VANTREL_TRY(at.u16());
    library.majorVersion = VANTREL_TRY(at.u16());
    library.minorVersion = VANTREL_TRY(at.u16());
    library.libid = VANTREL_TRY(at.guid());
    return at.skip(kTypeHashSize);
}

Expected<SltgTypeRecord> readTypeRecord(SltgCursor& at) {
    SltgTypeRecord type;
    const auto blockName = VANTREL_TRY(at.counted());
    if (blockName) type.blockName = {reinterpret_cast<const char*>(blockName->data()), blockName->size()};
    VANTREL_CHECK(at.counted());
    VANTREL_CHECK(at.skip(2));
    type.name = VANTREL_TRY(at.u16());
    type.docString = VANTREL_TRY(at.counted());
    VANTREL_CHECK(at.skip(2));
    type.helpContext = VANTREL_TRY(at.u32());
    VANTREL_CHECK(at.skip(2));
    type.guid = VANTREL_TRY(at.guid());
    type.kind = VANTREL_TRY(at.u16());
    if (type.kind > static_cast<uint16_t>(TypeKind::Union)) {
        return damaged("a type has the unknown type kind " + std::to_string(type.kind));
    }
    return type;
}

// The name table follows the name hash, whose header says how much lies before it.
Expected<ByteReader> locateNameTable(const ByteReader& block, uint32_t hashAt) {
    const uint8_t extra = VANTREL_TRY(block.u8(int64_t{hashAt} + 3));
    const int64_t tableAt = int64_t{hashAt} + kNameHashSize + extra;
    const uint32_t tableSize = VANTREL_TRY(block.u32(tableAt - 4));
    if (!block.contains(tableAt, tableSize)) {
        return damaged("its name table of " + grouped(tableSize) + " bytes runs past the end of the library block");
    }
    return block.sub(tableAt, tableSize, "the name table");
}

}  // namespace

Expected<SltgLibraryBlock> readSltgLibraryBlock(const ByteReader& block) {
    SltgLibraryBlock library;
    SltgCursor at(block, 0);
    VANTREL_CHECK(readAttributes(at, library));
    const uint16_t typeCount = VANTREL_TRY(at.u16());
    if (!block.contains(at.at(), kTypeRecordMinSize * typeCount)) {
        return damaged("its library block lists " + grouped(typeCount) + " types, but holds only " +
                       grouped(block.size()) + " bytes");
    }
    library.types.reserve(typeCount);
    for (size_t i = 0; i < typeCount; ++i) {
        Expected<SltgTypeRecord> type = readTypeRecord(at);
        if (!type) return damaged("the record of type " + std::to_string(i) + ": " + type.error().description);
        library.types.push_back(*type);
    }
    const uint32_t hashAt = VANTREL_TRY(at.u32());
    library.helpMaxLength = VANTREL_TRY(at.u16());
    const uint32_t dictionarySize = VANTREL_TRY(at.u32());
    library.helpDictionary = VANTREL_TRY(block.sub(at.at(), dictionarySize, "the help-string dictionary"));
    library.nameTable = VANTREL_TRY(locateNameTable(block, hashAt));
    return library;
}

}  // namespace vantrel
