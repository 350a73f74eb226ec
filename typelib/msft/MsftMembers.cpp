#include "typelib/msft/MsftMembers.h"
#include "typelib/file/Messages.h"

#include <string>
#include <vector>

namespace vantrel {
namespace {

constexpr int64_t kFuncRecordFixedSize = 24;
constexpr int64_t kVarRecordFixedSize = 20;
constexpr int64_t kParamRecordSize = 12;
constexpr uint32_t kHasDefaults = 1u << 12;
constexpr uint32_t kEntryIsOrdinal = 1u << 13;

// The three arrays after the records, and the records themselves.
struct MemberBlock {
    ByteReader records;
    ByteReader arrays;
    size_t count = 0;

    int32_t memberId(size_t k) const { return arrays.i32Unchecked(4 * k); }
    int32_t nameOffset(size_t k) const { return arrays.i32Unchecked(4 * (count + k)); }
    int32_t recordOffset(size_t k) const { return arrays.i32Unchecked(4 * (2 * count + k)); }
};

// The bytes the fixed parts of a type's records take: each function's and each variable's.
int64_t fixedRecordBytes(const MsftTypeInfoEntry& entry) {
    return int64_t{entry.funcCount} * kFuncRecordFixedSize + int64_t{entry.varCount} * kVarRecordFixedSize;
}

Expected<MemberBlock> locateBlock(const ByteReader& blob, const MsftTypeInfoEntry& entry) {
    MemberBlock block;
    block.count = size_t{entry.funcCount} + entry.varCount;
    const int32_t start = entry.memberBlock;
    if (!blob.contains(start, 4)) return damaged(pointsOutside("its member block", start, "the file", blob.size()));
    const int32_t recordBytes = blob.i32Unchecked(static_cast<size_t>(start));
    const auto arrayBytes = static_cast<int64_t>(block.count) * 12;
    if (recordBytes < 0 || !blob.contains(int64_t{start} + 4, int64_t{recordBytes} + arrayBytes)) {
        return damaged("the file ends after " + byteCount(blob.size()) + ", but its member block of " +
                       byteCount(static_cast<uint64_t>(std::max(recordBytes, 0)) + static_cast<uint64_t>(arrayBytes)) +
                       " starts at offset " + groupedNumber(static_cast<uint64_t>(start)));
    }
    // Each function needs at least its fixed part, each variable too.
    if (fixedRecordBytes(entry) > recordBytes) {
        return damaged("it claims more members than its member block holds");
    }
    block.records = VANTREL_TRY(blob.sub(int64_t{start} + 4, recordBytes, "the member block"));
    block.arrays = VANTREL_TRY(blob.sub(int64_t{start} + 4 + recordBytes, arrayBytes, "the member arrays"));
    return block;
}

// A record's bytes: its size is in its first word.
// Sets `record` rather than returning it: a returned reader is copied out of the result
// with loads wider than the stores that made it, which stalls the processor.
Expected<void> recordAt(const MemberBlock& block, size_t k, int64_t fixedSize, std::string_view what,
                        size_t shownIndex, size_t& budget, ByteReader& record) {
    const int32_t offset = block.recordOffset(k);
    const bool sizeReadable = block.records.contains(offset, 2);
    const uint16_t size = sizeReadable ? block.records.u16Unchecked(static_cast<size_t>(offset)) : 0;
    if (size < fixedSize || !block.records.contains(offset, size)) {
        return damaged(std::string(what) + " " + std::to_string(shownIndex) + " runs past the end of its member block");
    }
    if (size > budget) return damaged("its member records overlap each other");
    budget -= size;
    record = ByteReader(block.records.bytes().subspan(static_cast<size_t>(offset), size), what);
    return {};
}

class FunctionReader {
public:
    FunctionReader(MsftMemberTables& tables, TypeKind kind) : tables_(tables), kind_(kind) {}

    // Fills `f` in place and appends its parameters to `params`: large libraries hold
    // tens of thousands of functions.
    Expected<void> read(const ByteReader& record, FuncDesc& f, std::vector<ParamDesc>& params) {
        const uint32_t fkccic = record.u32Unchecked(16);
        f.returnType = VANTREL_TRY(tables_.typeDescs.typeOf(record.i32Unchecked(4)));
        f.flags = static_cast<uint16_t>(record.u32Unchecked(8) & 0xFFFF);
        f.vtableOffset = static_cast<int16_t>(record.u16Unchecked(12) & ~1u);
        const auto funcKind = fkccic & 0x7;
        if (funcKind > static_cast<uint32_t>(FuncKind::Dispatch)) return damaged("a function has the unknown kind " + std::to_string(funcKind));
        f.funcKind = static_cast<FuncKind>(funcKind);
        f.invokeKind = static_cast<int32_t>((fkccic >> 3) & 0xF);
        f.callConv = static_cast<uint8_t>((fkccic >> 8) & 0xF);
        const auto paramCount = static_cast<int16_t>(record.u16Unchecked(20));
        f.optionalParams = static_cast<int16_t>(record.u16Unchecked(22));
        if (paramCount < 0) return damaged("a function has a negative parameter count");

        const bool hasDefaults = (fkccic & kHasDefaults) != 0;
        const int64_t paramBytes = int64_t{paramCount} * kParamRecordSize;
        const int64_t defaultBytes = hasDefaults ? int64_t{paramCount} * 4 : 0;
        const int64_t optionalBytes = static_cast<int64_t>(record.size()) - kFuncRecordFixedSize - paramBytes - defaultBytes;
        if (optionalBytes < 0) return damaged("a function's " + std::to_string(paramCount) + " parameters do not fit its record");
        const int64_t optionalCount = optionalBytes / 4;
        VANTREL_CHECK(readOptional(record, optionalCount, fkccic, f));

        const auto paramsAt = static_cast<size_t>(static_cast<int64_t>(record.size()) - paramBytes);
        const auto defaultsAt = static_cast<size_t>(kFuncRecordFixedSize + optionalCount * 4);
        for (size_t p = 0; p < static_cast<size_t>(paramCount); ++p) {
            const size_t at = paramsAt + p * kParamRecordSize;
            ParamDesc& param = params.emplace_back();
            param.type = VANTREL_TRY(tables_.typeDescs.typeOf(record.i32Unchecked(at)));
            VANTREL_CHECK(tables_.names.pooledName(record.i32Unchecked(at + 4), param.name));
            param.flags = static_cast<uint16_t>(record.u32Unchecked(at + 8) & 0xFFFF);
            if (hasDefaults && (param.flags & paramflag::HasDefault)) {
                const int32_t slot = record.i32Unchecked(defaultsAt + 4 * p);
                if (slot != -1) param.defaultValue = VANTREL_TRY(tables_.values.value(slot));
            }
        }
        return {};
    }

private:
    // Help context, help string, entry point, two reserved words, ...: as many as fit.
    Expected<void> readOptional(const ByteReader& record, int64_t count, uint32_t fkccic, FuncDesc& f) {
        const auto field = [&](size_t i) { return record.i32Unchecked(static_cast<size_t>(kFuncRecordFixedSize) + 4 * i); };
        if (count > 0) f.helpContext = field(0);
        if (count > 1) f.docString = VANTREL_TRY(tables_.strings.text(field(1)));
        if (count > 2 && kind_ == TypeKind::Module && field(2) != -1) {
            if (fkccic & kEntryIsOrdinal) {
                f.entryOrdinal = static_cast<uint16_t>(field(2) & 0xFFFF);
            } else {
                f.entryName = VANTREL_TRY(tables_.strings.text(field(2)));
            }
        }
        return {};
    }

    MsftMemberTables& tables_;
    TypeKind kind_;
};

Expected<void> readVariable(MsftMemberTables& tables, const ByteReader& record, VarDesc& v) {
    v.type = VANTREL_TRY(tables.typeDescs.typeOf(record.i32Unchecked(4)));
    v.flags = static_cast<uint16_t>(record.u32Unchecked(8) & 0xFFFF);
    const uint16_t varKind = record.u16Unchecked(12);
    if (varKind > static_cast<uint16_t>(VarKind::Dispatch)) return damaged("a variable has the unknown kind " + std::to_string(varKind));
    v.varKind = static_cast<VarKind>(varKind);
    const int32_t valueWord = record.i32Unchecked(16);
    if (v.varKind == VarKind::Const) {
        v.constantValue = VANTREL_TRY(tables.values.value(valueWord));
    } else if (v.varKind == VarKind::PerInstance) {
        v.instanceOffset = valueWord;
    }
    const size_t optionalCount = (record.size() - static_cast<size_t>(kVarRecordFixedSize)) / 4;
    if (optionalCount > 0) v.helpContext = record.i32Unchecked(20);
    if (optionalCount > 1) v.docString = VANTREL_TRY(tables.strings.text(record.i32Unchecked(24)));
    return {};
}

// Prefixes a member's error with which member it is.
Error inMember(std::string_view what, size_t index, const Error& error) {
    return damaged(std::string(what) + " " + std::to_string(index) + ": " + error.description);
}

}  // namespace

Expected<void> readMsftMembers(MsftMemberTables& tables, const MsftTypeInfoEntry& entry, TypeKind kind,
                               TypeMembers& type) {
    if (entry.funcCount == 0 && entry.varCount == 0) return {};
    const MemberBlock block = VANTREL_TRY(locateBlock(tables.blob, entry));
    size_t budget = block.records.size();
    FunctionReader functions(tables, kind);
    type.funcs.reserve(entry.funcCount);
    // Room for as many parameters as the records could hold beyond their fixed parts, so
    // that the array is not moved as it grows; bounded by the block's size.
    type.params.reserve(
        static_cast<size_t>((static_cast<int64_t>(block.records.size()) - fixedRecordBytes(entry)) / kParamRecordSize));
    const ParamDesc* const paramsAt = type.params.data();
    for (size_t k = 0; k < entry.funcCount; ++k) {
        ByteReader record;
        VANTREL_CHECK(recordAt(block, k, kFuncRecordFixedSize, "function", k, budget, record));
        FuncDesc& f = type.funcs.emplace_back();
        const size_t paramsBefore = type.params.size();
        if (Expected<void> read = functions.read(record, f, type.params); !read) return inMember("function", k, read.error());
        f.params = std::span<const ParamDesc>(type.params).subspan(paramsBefore);
        if (Expected<void> named = tables.names.pooledName(block.nameOffset(k), f.name); !named)
            return inMember("function", k, named.error());
        f.memberId = block.memberId(k);
    }
    // The records' sizes bound the parameters, so the array stayed where it was reserved;
    // should it have moved all the same, the functions are pointed at it anew.
    if (type.params.data() != paramsAt) type.relinkParams();
    type.vars.reserve(entry.varCount);
    for (size_t j = 0; j < entry.varCount; ++j) {
        const size_t k = entry.funcCount + j;
        ByteReader record;
        VANTREL_CHECK(recordAt(block, k, kVarRecordFixedSize, "variable", j, budget, record));
        VarDesc& v = type.vars.emplace_back();
        if (Expected<void> read = readVariable(tables, record, v); !read) return inMember("variable", j, read.error());
        if (Expected<void> named = tables.names.pooledName(block.nameOffset(k), v.name); !named)
            return inMember("variable", j, named.error());
        v.memberId = block.memberId(k);
    }
    return {};
}

}  // namespace vantrel
