// The 8-bit texts of an MSFT library before any is decoded: the names, the strings and
// the string constants, which together tell the code page of a library that names no
// language.
#pragma once

#include "typelib/msft/MsftSegments.h"
#include "typelib/text/CodePage.h"

namespace vantrel {

// Visits every entry of the name table, the string table and every BSTR of the
// custom-data segment, in table order. Each walk ends at the first entry that does not
// fit its table or, in the custom data, has a type whose size is unknown.
void visitMsftRawTexts(const MsftSegments& segments, const RawTextVisitor& visit);

}  // namespace vantrel
