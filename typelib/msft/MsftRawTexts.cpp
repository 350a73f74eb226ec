#include "typelib/msft/MsftRawTexts.h"

#include <algorithm>

#include "typelib/model/Automation.h"

namespace vantrel {
namespace {

constexpr size_t roundUp4(size_t size) { return (size + 3) & ~size_t{3}; }

// Name entry: 12-byte header whose byte 8 is the length, then the text, padded to 4.
void visitNames(const ByteReader& names, const RawTextVisitor& visit) {
    constexpr size_t headerSize = 12;
    size_t at = 0;
    while (names.contains(static_cast<int64_t>(at), headerSize)) {
        const size_t length = names.bytes()[at + 8];
        if (!names.contains(static_cast<int64_t>(at + headerSize), static_cast<int64_t>(length))) return;
        visit(names.bytes().subspan(at + headerSize, length));
        at += roundUp4(headerSize + length);
    }
}

// String entry: 16-bit length and the text, padded to 4 and to at least 8 bytes.
void visitStrings(const ByteReader& strings, const RawTextVisitor& visit) {
    constexpr size_t minimumEntry = 8;
    size_t at = 0;
    while (strings.contains(static_cast<int64_t>(at), 2)) {
        const size_t length = strings.u16Unchecked(at);
        if (!strings.contains(static_cast<int64_t>(at + 2), static_cast<int64_t>(length))) return;
        visit(strings.bytes().subspan(at + 2, length));
        at += std::max(minimumEntry, roundUp4(2 + length));
    }
}

// The payload size of a custom-data value of this type; 0 when unknown.
size_t fixedPayloadSize(uint16_t type) {
    switch (type) {
        case vt::I1: case vt::UI1: return 1;
        case vt::I2: case vt::UI2: case vt::Bool: return 2;
        case vt::I4: case vt::UI4: case vt::Int: case vt::UInt: case vt::R4: case vt::Error: case vt::HResult:
            return 4;
        case vt::R8: case vt::Cy: case vt::Date: case vt::I8: case vt::UI8: case vt::FileTime: return 8;
        default: return 0;
    }
}

// Custom-data value: 16-bit type, then the payload, padded to 4; a BSTR's payload is a
// 32-bit length (-1 for none) and the text.
void visitStringConstants(const ByteReader& customData, const RawTextVisitor& visit) {
    size_t at = 0;
    while (customData.contains(static_cast<int64_t>(at), 2)) {
        const uint16_t type = customData.u16Unchecked(at);
        size_t payload = fixedPayloadSize(type);
        if (type == vt::Bstr) {
            if (!customData.contains(static_cast<int64_t>(at + 2), 4)) return;
            const int32_t length = customData.i32Unchecked(at + 2);
            payload = 4;
            if (length > 0) {
                if (!customData.contains(static_cast<int64_t>(at + 6), length)) return;
                visit(customData.bytes().subspan(at + 6, static_cast<size_t>(length)));
                payload += static_cast<size_t>(length);
            }
        }
        if (payload == 0) return;
        at += roundUp4(2 + payload);
    }
}

}  // namespace

void visitMsftRawTexts(const MsftSegments& segments, const RawTextVisitor& visit) {
    visitNames(segments.names, visit);
    visitStrings(segments.strings, visit);
    visitStringConstants(segments.customData, visit);
}

}  // namespace vantrel
