// MSFT value slots: constants, parameter defaults and custom data. A slot either holds
// a small value inline (bit 31, a 5-bit VT and a 26-bit payload) or is an offset into
// the custom-data table, where a VT word precedes the value.
#pragma once

#include <cstdint>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel {

class MsftValues {
public:
    MsftValues(ByteReader customData, uint32_t codePage) : customData_(customData), codePage_(codePage) {}

    Expected<Variant> value(int32_t slot) const;

private:
    Expected<Variant> outOfLine(int32_t offset) const;

    ByteReader customData_;
    uint32_t codePage_;
};

}  // namespace vantrel
