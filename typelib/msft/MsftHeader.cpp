#include "typelib/msft/MsftHeader.h"
#include "typelib/file/Messages.h"

#include <string>

namespace vantrel {
namespace {

constexpr int64_t kHeaderSize = 0x54;
constexpr uint32_t kHasHelpStringDll = 0x100;

}  // namespace

Expected<MsftHeader> readMsftHeader(const ByteReader& blob) {
    if (!blob.contains(0, kHeaderSize)) {
        return damaged("it ends after " + byteCount(blob.size()) + ", before its " + std::to_string(kHeaderSize) +
                       "-byte header does");
    }
    if (blob.u32Unchecked(0) != kMsftMagic) return damaged("the MSFT signature is missing");
    MsftHeader h;
    h.libidGuid = blob.i32Unchecked(0x08);
    h.lcid = blob.u32Unchecked(0x0C);
    h.libraryLcid = blob.u32Unchecked(0x10);
    h.varFlags = blob.u32Unchecked(0x14);
    const uint32_t version = blob.u32Unchecked(0x18);
    h.majorVersion = static_cast<uint16_t>(version & 0xFFFF);
    h.minorVersion = static_cast<uint16_t>(version >> 16);
    h.libFlags = static_cast<uint16_t>(blob.u32Unchecked(0x1C) & 0xFFFF);
    h.typeCount = blob.i32Unchecked(0x20);
    h.helpString = blob.i32Unchecked(0x24);
    h.helpStringContext = blob.i32Unchecked(0x28);
    h.helpContext = blob.i32Unchecked(0x2C);
    h.name = blob.i32Unchecked(0x38);
    h.helpFile = blob.i32Unchecked(0x3C);
    h.customData = blob.i32Unchecked(0x40);
    h.dispatchHref = blob.i32Unchecked(0x4C);
    h.importCount = blob.i32Unchecked(0x50);
    if (h.sysKind() > 3) return damaged("the header names the unknown system kind " + std::to_string(h.sysKind()));

    int64_t typeOffsets = kHeaderSize;
    if (h.varFlags & kHasHelpStringDll) {
        h.helpStringDll = VANTREL_TRY(blob.i32(kHeaderSize));
        typeOffsets += 4;
    }
    // Each type has a 4-byte offset here and a 100-byte entry later: bound the count by
    // the blob before anyone sizes a vector by it.
    if (h.typeCount < 0 || int64_t{h.typeCount} * 104 > static_cast<int64_t>(blob.size())) {
        return damaged("the header claims " + std::to_string(h.typeCount) +
                       " types, more than the file can hold");
    }
    h.segmentDirectory = typeOffsets + int64_t{h.typeCount} * 4;
    return h;
}

}  // namespace vantrel
