// Helpers shared by the reader tests: file bytes, little-endian patching, and a check
// that every index a decoded library holds points inside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "typelib/model/TypeInfo.h"

namespace vantrel::testing {

std::vector<uint8_t> bytesOf(const std::string& path);
std::string fixturePath(const std::string& name);
std::string realLibraryPath(const std::string& name);
// A file of the real-file corpus, read in place.
std::string corpusPath(const std::string& name);

uint32_t getU32(const std::vector<uint8_t>& bytes, size_t offset);
void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
void putU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);

// Empty when every index and handle points inside the library, else what is wrong.
std::string inconsistency(const LibraryInfo& library);

// Where MSFT structures of a standalone library start.
size_t segmentDirectoryOffset(const std::vector<uint8_t>& msft);
size_t segmentOffset(const std::vector<uint8_t>& msft, int segment);
size_t typeInfoOffset(const std::vector<uint8_t>& msft, int index);

// Where a PE image's resources are, found the plain way: the data directory entry that
// points to them, the header of the section holding them, the tree's root, and the
// data entry (RVA, size) of a TYPELIB resource (the first language of the id entry at
// `idIndex`) with the tree word that links to it (an offset from the root).
size_t resourceDirectoryEntryOffset(const std::vector<uint8_t>& pe);
size_t resourceSectionHeaderOffset(const std::vector<uint8_t>& pe);
size_t resourceRootOffset(const std::vector<uint8_t>& pe);
size_t typeLibDataEntryLink(const std::vector<uint8_t>& pe, size_t idIndex = 0);
size_t typeLibDataEntryOffset(const std::vector<uint8_t>& pe, size_t idIndex = 0);

}  // namespace vantrel::testing
