// 16-bit NE images: the resource table, as far as needed to find the type libraries
// that an image carries as TYPELIB resources.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "typelib/container/PeResources.h"
#include "typelib/file/Error.h"

namespace vantrel {

// "MZ" with "NE" at e_lfanew.
bool isNeImage(std::span<const uint8_t> bytes);

// Every TYPELIB resource with an integer id, in table order. A resource's length is
// rounded up to the table's alignment, so its data may run past the library's end; data
// that runs past the file's end is cut there. Errors only for a damaged image.
Expected<std::vector<TypeLibResource>> findNeTypeLibResources(std::span<const uint8_t> image);

}  // namespace vantrel
