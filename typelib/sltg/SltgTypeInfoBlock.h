// An SLTG typeinfo block: its header (flags and version; the library block gives the
// kind), where its reference table lies, its member area (which every member offset is
// relative to) and the tail after it (member counts, the heads of the member chains,
// sizes and an alias's type).
#pragma once

#include <cstdint>
#include <optional>

#include "typelib/file/ByteReader.h"

namespace vantrel {

struct SltgTypeInfoBlock {
    uint16_t flags = 0;  // TYPEFLAGS
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    std::optional<ByteReader> references;  // from the reference table to the block's end
    ByteReader members;

    uint16_t funcCount = 0;
    uint16_t varCount = 0;
    uint16_t implCount = 0;
    uint16_t firstFunc = 0xFFFF;  // member-area offsets; 0xFFFF is none
    uint16_t firstVar = 0xFFFF;
    uint16_t firstImpl = 0xFFFF;
    uint16_t aliasWord = 0;
    bool aliasInline = false;  // aliasWord is a type word, else the offset of type words
    uint16_t sizeInstance = 0;
    uint16_t alignment = 0;
    uint16_t sizeVtable = 0;
};

Expected<SltgTypeInfoBlock> readSltgTypeInfoBlock(const ByteReader& block);

}  // namespace vantrel
