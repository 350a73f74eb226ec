// PE32/PE32+ images: the sections, RVA mapping and the resource tree, as far as needed
// to find the type libraries that an image carries as TYPELIB resources.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "typelib/file/Error.h"
#include "typelib/file/FileBytes.h"

namespace vantrel {

// "MZ" with "PE\0\0" at e_lfanew.
bool isPeImage(std::span<const uint8_t> bytes);

struct TypeLibResource {
    uint32_t id = 0;
    std::span<const uint8_t> data;  // inside the image's bytes
};

// Where a TYPELIB resource's data lies in the file.
struct TypeLibResourcePlace {
    uint32_t id = 0;
    uint64_t fileOffset = 0;
    uint32_t size = 0;
};

// Every TYPELIB resource with an integer id, in directory order. Errors only for a
// damaged image; an image without the resources gives an empty list.
Expected<std::vector<TypeLibResource>> findTypeLibResources(std::span<const uint8_t> image);

// The TYPELIB resources of a PE file and the raw bytes of the section that holds its
// resource tree, which usually holds their data too.
struct TypeLibResourcePlaces {
    std::vector<TypeLibResourcePlace> places;
    uint64_t sectionOffset = 0;  // in the file
    HeldBytes section;

    // The bytes of a place that lies inside the section; empty otherwise.
    std::span<const uint8_t> inSection(const TypeLibResourcePlace& place) const;
};

// The same resources found without reading the whole file: the layout comes from
// `head`, the file's first bytes, and the tree from the raw bytes of the section that
// holds it, read from `file`. A success lists exactly the resources that
// findTypeLibResources finds in the whole file, each inside the file. Any error, also
// one the whole file would not give (headers past `head`, a tree reaching out of its
// section), means only the whole file can tell the outcome.
Expected<TypeLibResourcePlaces> findTypeLibResourcePlaces(LibraryFile& file, std::span<const uint8_t> head);

// The resource with `id`; without an id the one a caller reads by default: id 1, else
// the lowest id. Null when there is none.
const TypeLibResource* chooseTypeLibResource(const std::vector<TypeLibResource>& resources,
                                             std::optional<uint32_t> id);
const TypeLibResourcePlace* chooseTypeLibResource(const std::vector<TypeLibResourcePlace>& resources,
                                                  std::optional<uint32_t> id);
const TypeLibResource* defaultTypeLibResource(const std::vector<TypeLibResource>& resources);

}  // namespace vantrel
