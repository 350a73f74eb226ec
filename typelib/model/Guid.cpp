#include <cstdio>

#include "typelib/model/TypeInfo.h"

namespace vantrel {

std::string Guid::toString() const {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  data1, data2, data3, data4[0], data4[1], data4[2], data4[3], data4[4],
                  data4[5], data4[6], data4[7]);
    return text;
}

bool Guid::isNull() const { return *this == Guid{}; }

}  // namespace vantrel
