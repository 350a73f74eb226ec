// PE32/PE32+ images: the sections, RVA mapping and the resource tree, as far as needed
// to find the type libraries that an image carries as TYPELIB resources.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "typelib/Error.h"

namespace vantrel {

// "MZ" with "PE\0\0" at e_lfanew.
bool isPeImage(std::span<const uint8_t> bytes);

struct TypeLibResource {
    uint32_t id = 0;
    std::span<const uint8_t> data;  // inside the image's bytes
};

// Every TYPELIB resource with an integer id, in directory order. Errors only for a
// damaged image; an image without the resources gives an empty list.
Expected<std::vector<TypeLibResource>> findTypeLibResources(std::span<const uint8_t> image);

// The one a caller reads by default: id 1, else the lowest id; null when there is none.
const TypeLibResource* defaultTypeLibResource(const std::vector<TypeLibResource>& resources);

}  // namespace vantrel
