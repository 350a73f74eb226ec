// Finds types that one library borrows from another (imported types). A library opened
// without a resolver can reach only its own types.
#pragma once

#include <cstdint>
#include <memory>

#include "typelib/file/Error.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

class ImportResolver {
public:
    virtual ~ImportResolver();
    // The type that `from` names by LibraryInfo::importedTypes[importedTypeIndex], as a type
    // of the library that defines it; an error when that library can't be reached.
    virtual Expected<TypeEntry> resolve(const std::shared_ptr<const LoadedLibrary>& from,
                                        int32_t importedTypeIndex) = 0;
};

}  // namespace vantrel
