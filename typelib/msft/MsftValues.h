// MSFT value slots: constants, parameter defaults and custom data. A slot either holds
// a small value inline (bit 31, a 5-bit VT and a 26-bit payload) or is an offset into
// the custom-data table, where a VT word precedes the value.
#pragma once

#include <cstdint>

#include "typelib/file/ByteReader.h"
#include "typelib/model/TypeInfo.h"
#include "typelib/text/DecodedTexts.h"

namespace vantrel {

class MsftValues {
public:
    MsftValues(ByteReader customData, uint32_t codePage, TextPool& pool)
        : customData_(customData), strings_(pool, codePage, customData.size()) {}

    // A string value is decoded once into the pool, however many constants share it.
    Expected<Variant> value(int32_t slot);

private:
    Expected<Variant> outOfLine(int32_t offset);
    Expected<std::string_view> stringAt(int64_t at);

    ByteReader customData_;
    DecodedTexts strings_;
};

}  // namespace vantrel
