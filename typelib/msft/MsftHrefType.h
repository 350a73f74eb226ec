// HREFTYPE values: how MSFT data names a type. A multiple of 100 is a type of this
// library (its typeinfo offset), a value with bit 0 set an import-info record.
#pragma once

#include <cstdint>

#include "typelib/msft/MsftImports.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

class MsftHrefTypes {
public:
    MsftHrefTypes(int32_t typeCount, MsftImports& imports) : typeCount_(typeCount), imports_(imports) {}

    // -1 gives TypeHandle::Kind::None.
    Expected<TypeHandle> resolve(int32_t hrefType);

private:
    int32_t typeCount_;
    MsftImports& imports_;
};

}  // namespace vantrel
