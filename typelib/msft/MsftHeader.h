// The fixed header at the start of an MSFT type library, with the optional help-string
// DLL field that shifts everything after it by four bytes.
#pragma once

#include <cstdint>

#include "typelib/file/ByteReader.h"

namespace vantrel {

inline constexpr uint32_t kMsftMagic = 0x5446534D;  // "MSFT"

struct MsftHeader {
    int32_t libidGuid = -1;  // GUID-table offset
    uint32_t lcid = 0;         // the writer's locale: VB6 writes 0x409 whatever the text's language
    uint32_t libraryLcid = 0;  // the library's own lcid attribute, 0 for language-neutral; it
                               // picks the code page of names and strings
    uint32_t varFlags = 0;   // bits 0-3 SYSKIND
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    uint16_t libFlags = 0;
    int32_t typeCount = 0;
    int32_t helpString = -1;  // string-table offsets
    int32_t helpStringContext = 0;
    int32_t helpContext = 0;
    int32_t name = -1;        // name-table offset
    int32_t helpFile = -1;
    int32_t customData = -1;  // custom-data-directory offset
    int32_t dispatchHref = -1;
    int32_t importCount = 0;
    int32_t helpStringDll = -1;
    // Where the segment directory starts, after the typeinfo offset array.
    int64_t segmentDirectory = 0;

    uint32_t sysKind() const { return varFlags & 0xF; }
};

Expected<MsftHeader> readMsftHeader(const ByteReader& blob);

}  // namespace vantrel
