// Helpers shared by the reader tests: file bytes, little-endian patching, and a check
// that every index a decoded library holds points inside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "typelib/TypeInfo.h"

namespace vantrel::testing {

std::vector<uint8_t> bytesOf(const std::string& path);
std::string fixturePath(const std::string& name);
std::string realLibraryPath(const std::string& name);

uint32_t getU32(const std::vector<uint8_t>& bytes, size_t offset);
void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
void putU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);

// Empty when every index and handle points inside the library, else what is wrong.
std::string inconsistency(const LibraryInfo& library);

// Where MSFT structures of a standalone library start.
size_t segmentDirectoryOffset(const std::vector<uint8_t>& msft);
size_t segmentOffset(const std::vector<uint8_t>& msft, int segment);
size_t typeInfoOffset(const std::vector<uint8_t>& msft, int index);

// The file offset of a PE image's resource directory, found the plain way.
size_t resourceRootOffset(const std::vector<uint8_t>& pe);

}  // namespace vantrel::testing
