#include "typelib/msft/MsftSegments.h"
#include "typelib/file/Messages.h"

#include <string>

namespace vantrel {
namespace {

constexpr int kSegmentCount = 15;
constexpr int64_t kEntrySize = 16;

constexpr const char* kSegmentNames[kSegmentCount] = {
    "the typeinfo table", "the import-info table", "the import-file table",
    "the reference table", "the GUID hash", "the GUID table", "the name hash",
    "the name table", "the string table", "the type-description table",
    "the array-description table", "the custom-data table", "the custom-data directory",
    "segment 13", "segment 14"};

Expected<ByteReader> readSegment(const ByteReader& blob, int64_t entry, int index) {
    const int32_t offset = blob.i32Unchecked(static_cast<size_t>(entry));
    const int32_t length = blob.i32Unchecked(static_cast<size_t>(entry) + 4);
    const char* name = kSegmentNames[index];
    if (offset == -1 || length == 0) return ByteReader({}, name);
    if (!blob.contains(offset, length)) {
        return damaged("it ends after " + byteCount(blob.size()) + ", but " + name + " takes " +
                       byteCount(static_cast<uint32_t>(length)) + " from " +
                       (offset < 0 ? "the negative offset " + std::to_string(offset) : "offset " + groupedNumber(static_cast<uint32_t>(offset))));
    }
    return blob.sub(offset, length, name);
}

}  // namespace

Expected<MsftSegments> readMsftSegments(const ByteReader& blob, int64_t directoryOffset) {
    if (!blob.contains(directoryOffset, kSegmentCount * kEntrySize)) {
        return damaged("it ends after " + byteCount(blob.size()) + ", before the segment directory at offset " +
                       groupedNumber(static_cast<uint64_t>(directoryOffset)) + " does");
    }
    ByteReader all[kSegmentCount];
    for (int i = 0; i < kSegmentCount; ++i) {
        all[i] = VANTREL_TRY(readSegment(blob, directoryOffset + i * kEntrySize, i));
    }
    MsftSegments s;
    s.typeInfos = all[0];
    s.importInfo = all[1];
    s.importFiles = all[2];
    s.references = all[3];
    s.guids = all[5];
    s.names = all[7];
    s.strings = all[8];
    s.typeDescs = all[9];
    s.arrayDescs = all[10];
    s.customData = all[11];
    s.customDataDirectory = all[12];
    return s;
}

}  // namespace vantrel
