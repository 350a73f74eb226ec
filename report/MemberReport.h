// The member report: one type of an opened library as an HTML page listing its
// properties, methods, events and constants in Basic syntax.
#pragma once

#include <cstdint>
#include <string>

#include "typelib/file/Error.h"
#include "report/TypeNames.h"
#include "typelib/TypeLibrary.h"

namespace vantrel {

// The caption of a member's kind ("Method", "Property Get/Let", "Event", "Constant", ...)
// or "" for a combination of invoke kinds that has no name.
std::string InvokeInfo(int32_t InvKinds);

// The name of a sample value's kind, as Basic's TypeName names it ("Long", "String",
// "Empty", ...); an array's kind name ends in "()".
std::string SampleTypeName(const SampleValue& value);

// GetVarTypeName, the display name of a type reference, is in TypeNames.h.

// The whole report page of the type named strTypeName. strDLLName is shown in the
// heading, strCurrentDLL in the title. All outside text is HTML-escaped.
Expected<std::string> GetProperties(const TypeLibrary& library, const std::string& strDLLName,
                                    const std::string& strTypeName,
                                    const std::string& strCurrentDLL);

}  // namespace vantrel
