// The SLTG file header and its block directory: the blocks, in the order of their
// chain, each with its name. The last block of the chain is the library block; every
// other one holds one type.
#pragma once

#include <string_view>
#include <vector>

#include "typelib/file/ByteReader.h"

namespace vantrel {

struct SltgBlock {
    std::string_view name;  // as the directory names it, e.g. "MCAAAAAAAA"
    ByteReader bytes;
};

struct SltgBlocks {
    std::vector<SltgBlock> typeBlocks;
    ByteReader library;
};

Expected<SltgBlocks> readSltgBlocks(const ByteReader& blob);

}  // namespace vantrel
