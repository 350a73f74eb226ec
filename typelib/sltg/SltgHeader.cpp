#include "typelib/sltg/SltgHeader.h"

#include <algorithm>
#include <string>

#include "typelib/sltg/SltgCursor.h"

namespace vantrel {
namespace {

constexpr int64_t kEntriesAt = 0x24;
constexpr int64_t kEntrySize = 8;
// Zero bytes between the name directory and the first block.
constexpr int64_t kGapAfterNames = 9;

struct Directory {
    size_t entryCount = 0;
    uint16_t first = 0;
    ByteReader names;
    int64_t blocksAt = 0;
};

Expected<Directory> readDirectory(const ByteReader& blob) {
    const uint16_t blockCount = VANTREL_TRY(blob.u16(4));
    const uint16_t namesSize = VANTREL_TRY(blob.u16(8));
    Directory directory;
    directory.first = VANTREL_TRY(blob.u16(0x0A));
    if (blockCount < 2) return damaged("its block directory names no blocks");
    directory.entryCount = size_t{blockCount} - 1;
    const int64_t namesAt = kEntriesAt + kEntrySize * static_cast<int64_t>(directory.entryCount);
    directory.blocksAt = namesAt + namesSize + kGapAfterNames;
    if (!blob.contains(0, directory.blocksAt)) {
        return damaged("its block directory names " + grouped(directory.entryCount) + " blocks, but the file ends after " +
                       grouped(blob.size()) + " bytes");
    }
    directory.names = VANTREL_TRY(blob.sub(namesAt, namesSize, "the block names"));
    return directory;
}

// The NUL-terminated name at `offset` in the name directory.
Expected<std::string_view> blockName(const ByteReader& names, uint16_t offset) {
    const std::span<const uint8_t> rest = VANTREL_TRY(names.span(offset, static_cast<int64_t>(names.size()) - offset));
    const auto* text = reinterpret_cast<const char*>(rest.data());
    const std::string_view name(text, std::find(rest.begin(), rest.end(), uint8_t{0}) - rest.begin());
    if (name.size() == rest.size()) return damaged("the name of a block runs past the end of the block directory");
    return name;
}

}  // namespace

Expected<SltgBlocks> readSltgBlocks(const ByteReader& blob) {
    const Directory directory = VANTREL_TRY(readDirectory(blob));
    std::vector<bool> visited(directory.entryCount);
    std::vector<SltgBlock> chain;
    int64_t offset = directory.blocksAt;
    for (uint16_t k = directory.first; k != 0;) {
        if (k > directory.entryCount) {
            return damaged("its block chain names block " + std::to_string(k) + " of " +
                           std::to_string(directory.entryCount) + "");
        }
        if (visited[k - 1u]) return damaged("its block chain runs in a circle");
        visited[k - 1u] = true;
        const int64_t entry = kEntriesAt + kEntrySize * (k - 1);
        const uint32_t length = blob.u32Unchecked(static_cast<size_t>(entry));
        SltgBlock& block = chain.emplace_back();
        block.name = VANTREL_TRY(blockName(directory.names, blob.u16Unchecked(static_cast<size_t>(entry) + 4)));
        if (!blob.contains(offset, length)) {
            return damaged("block " + std::to_string(k) + " (" + std::string(block.name) + ") of " + grouped(length) +
                           " bytes runs past the end of the file at " + grouped(blob.size()) + " bytes");
        }
        block.bytes = ByteReader(blob.bytes().subspan(static_cast<size_t>(offset), length), "a typeinfo block");
        offset += length;
        k = blob.u16Unchecked(static_cast<size_t>(entry) + 6);
    }
    if (chain.empty()) return damaged("its block chain is empty");
    SltgBlocks blocks;
    blocks.library = ByteReader(chain.back().bytes.bytes(), "the library block");
    chain.pop_back();
    blocks.typeBlocks = std::move(chain);
    return blocks;
}

}  // namespace vantrel
