#include "typelib/sltg/SltgTypeInfoBlock.h"

namespace vantrel {
namespace {

constexpr int64_t kHeaderSize = 0x22;
constexpr int64_t kMemberHeaderSize = 9;
constexpr int64_t kTailSize = 54;
constexpr uint32_t kNone = 0xFFFFFFFFu;

void readTail(const ByteReader& tail, SltgTypeInfoBlock& type) {
    const auto word = [&](size_t i) { return tail.u16Unchecked(2 * i); };
    type.funcCount = word(0);
    type.varCount = word(1);
    type.implCount = word(2);
    type.firstFunc = word(4);
    type.firstVar = word(5);
    type.firstImpl = word(6);
    type.aliasWord = word(10);
    type.aliasInline = (word(14) & 1) != 0;
    type.sizeInstance = word(16);
    type.alignment = word(17);
    type.sizeVtable = word(20);
}

}  // namespace

Expected<SltgTypeInfoBlock> readSltgTypeInfoBlock(const ByteReader& block) {
    if (!block.contains(0, kHeaderSize)) return damaged("its block is shorter than a typeinfo header");
    SltgTypeInfoBlock type;
    const uint32_t referencesAt = block.u32Unchecked(2);
    const uint32_t membersAt = block.u32Unchecked(0x0A);
    type.majorVersion = block.u16Unchecked(0x12);
    type.minorVersion = block.u16Unchecked(0x14);
    const uint8_t flagsLow = block.bytes()[0x1A];
    const uint8_t flagsHigh = block.bytes()[0x1B];
    type.flags = static_cast<uint16_t>((flagsLow >> 3) | (flagsHigh << 5));
    if (referencesAt != kNone) {
        type.references = VANTREL_TRY(block.sub(referencesAt, static_cast<int64_t>(block.size()) - referencesAt, "the reference table"));
    }
    const uint32_t memberSize = VANTREL_TRY(block.u32(int64_t{membersAt} + 5));
    const int64_t areaAt = int64_t{membersAt} + kMemberHeaderSize;
    if (!block.contains(areaAt, int64_t{memberSize} + kTailSize)) {
        return damaged("its member area of " + std::to_string(memberSize) + " bytes runs past the end of its block");
    }
    type.members = ByteReader(block.bytes().subspan(static_cast<size_t>(areaAt), memberSize), "the member area");
    const ByteReader tail(block.bytes().subspan(static_cast<size_t>(areaAt) + memberSize, kTailSize), "the type's tail");
    readTail(tail, type);
    return type;
}

}  // namespace vantrel
