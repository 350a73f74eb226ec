#include "typelib/msft/MsftValues.h"

#include <bit>
#include <cstring>


namespace vantrel {
namespace {

constexpr uint32_t kInlineBit = 0x80000000u;
constexpr uint32_t kPayloadMask = 0x03FFFFFFu;

int64_t signExtend(uint64_t bits, unsigned width) {
    const uint64_t sign = uint64_t{1} << (width - 1);
    const uint64_t masked = bits & ((sign << 1) - 1);
    return static_cast<int64_t>(masked ^ sign) - static_cast<int64_t>(sign);
}

// An inline payload holds the value's bit pattern, zero-extended from its width.
Variant inlineValue(uint16_t type, uint32_t payload) {
    Variant v;
    v.vt = type;
    switch (type) {
        case vt::I1: v.value = signExtend(payload, 8); break;
        case vt::I2: case vt::Bool: v.value = signExtend(payload, 16); break;
        case vt::I4: case vt::Int: case vt::Error: case vt::HResult: case vt::I8:
            v.value = int64_t{payload};
            break;
        case vt::UI1: v.value = uint64_t{payload & 0xFFu}; break;
        case vt::UI2: v.value = uint64_t{payload & 0xFFFFu}; break;
        case vt::UI4: case vt::UInt: case vt::UI8: v.value = uint64_t{payload}; break;
        // Whether inline floating-point payloads are numbers or bit patterns is not
        // known; the one sample (a default of 1) reads sensibly as a number.
        case vt::R4: case vt::R8: case vt::Date: v.value = static_cast<double>(payload); break;
        case vt::Cy: v.value = int64_t{payload}; break;
        default: break;
    }
    return v;
}

}  // namespace

Expected<Variant> MsftValues::value(int32_t slot) {
    const auto bits = static_cast<uint32_t>(slot);
    if (bits & kInlineBit) return inlineValue(static_cast<uint16_t>((bits >> 26) & 0x1F), bits & kPayloadMask);
    return outOfLine(slot);
}

Expected<std::string_view> MsftValues::stringAt(int64_t at) {
    if (const std::string_view* known = strings_.find(at)) return *known;
    const int32_t length = VANTREL_TRY(customData_.i32(at));
    if (length == -1) return std::string_view();
    const auto text = VANTREL_TRY(customData_.span(at + 4, length));
    return strings_.decodeAt(at, text, size_t{6} + text.size());
}

Expected<Variant> MsftValues::outOfLine(int32_t offset) {
    const uint16_t type = VANTREL_TRY(customData_.u16(offset));
    const int64_t at = int64_t{offset} + 2;
    Variant v;
    v.vt = type;
    switch (type) {
        case vt::I1: v.value = signExtend(VANTREL_TRY(customData_.u8(at)), 8); break;
        case vt::UI1: v.value = uint64_t{VANTREL_TRY(customData_.u8(at))}; break;
        case vt::I2: case vt::Bool: v.value = int64_t{VANTREL_TRY(customData_.i16(at))}; break;
        case vt::UI2: v.value = uint64_t{VANTREL_TRY(customData_.u16(at))}; break;
        case vt::I4: case vt::Int: case vt::Error: case vt::HResult:
            v.value = int64_t{VANTREL_TRY(customData_.i32(at))};
            break;
        case vt::UI4: case vt::UInt: v.value = uint64_t{VANTREL_TRY(customData_.u32(at))}; break;
        case vt::R4: v.value = double{std::bit_cast<float>(VANTREL_TRY(customData_.u32(at)))}; break;
        case vt::I8: case vt::Cy: case vt::UI8: case vt::R8: case vt::Date: case vt::FileTime: {
            const uint64_t low = VANTREL_TRY(customData_.u32(at));
            const uint64_t high = VANTREL_TRY(customData_.u32(at + 4));
            const uint64_t word = low | (high << 32);
            if (type == vt::R8 || type == vt::Date) v.value = std::bit_cast<double>(word);
            else if (type == vt::UI8 || type == vt::FileTime) v.value = word;
            else v.value = static_cast<int64_t>(word);
            break;
        }
        case vt::Bstr: v.value = VANTREL_TRY(stringAt(at)); break;
        default: break;  // a type whose payload this reader does not know
    }
    return v;
}

}  // namespace vantrel
