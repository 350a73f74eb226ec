#include "typelib/msft/MsftHrefType.h"

#include <string>

namespace vantrel {

Expected<TypeHandle> MsftHrefTypes::resolve(int32_t hrefType) {
    if (hrefType == -1) return TypeHandle{};
    if (hrefType & 1) {
        const int32_t index = VANTREL_TRY(imports_.importedType(hrefType & ~3));
        return TypeHandle{TypeHandle::Kind::Imported, index};
    }
    if (hrefType >= 0 && hrefType % 100 == 0 && hrefType / 100 < typeCount_) {
        return TypeHandle{TypeHandle::Kind::Local, hrefType / 100};
    }
    return damaged("the type reference " + hex(static_cast<uint32_t>(hrefType)) +
                   " names no type of the library");
}

}  // namespace vantrel
