// Turns a TypeHandle into the type it names: a type of the same library, or, through the
// library's import resolver, a type of another library.
#pragma once

#include <memory>
#include <string>

#include "typelib/file/Error.h"
#include "typelib/model/TypeInfo.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

// Errors: errc::LibNotRegistered when the type lives in a library that can't be reached;
// errc::InvalidDataRead when the handle points nowhere.
Expected<TypeEntry> resolveTypeHandle(const std::shared_ptr<const LoadedLibrary>& library,
                                      TypeHandle handle);

// errc::LibNotRegistered: "The type NAME lives in another type library (FILE) that is
// not available", NAME being the type's GUID or its number in that library.
Error unreachableImport(const LibraryInfo& info, const ImportedType& imported);

// "The type library 'PATH' is damaged: WHAT."
Error damagedLibrary(const LoadedLibrary& library, const std::string& what);

// The error of a type whose members are damaged (`error`, its TypeMembers::error),
// naming the file and the type: "The type library 'PATH' is damaged: type 3 (Name): WHAT."
Error typeMembersError(const TypeEntry& type, const Error& error);

}  // namespace vantrel
