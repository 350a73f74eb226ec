// Writes a decoded type library in the SLTG format (the layout of the older
// ICreateTypeLib): a stand-alone .tlb beginning "SLTG". It exists to make SLTG fixtures
// from our MSFT fixtures, so that the SLTG reader is checked against files whose contents
// are known. What SLTG cannot hold (default values, DLL entry points, the doc strings of
// types and members, custom data) is left out.
#pragma once

#include <cstdint>
#include <vector>

#include "typelib/TypeLibrary.h"
#include "typelib/file/Error.h"

namespace vantrel::sltg {

// The SLTG bytes of `library`; imported types are looked up through the library's
// resolver. An error when a type can't be expressed (an unreachable import, a name
// table or member area past the format's 16-bit offsets).
Expected<std::vector<uint8_t>> writeLibrary(const TypeLibrary& library);

}  // namespace vantrel::sltg
