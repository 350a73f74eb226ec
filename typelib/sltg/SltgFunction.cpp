#include "typelib/sltg/SltgFunction.h"

#include <algorithm>
#include <string>
#include <vector>

#include "typelib/model/Automation.h"

namespace vantrel {
namespace {

constexpr int64_t kFuncRecordSize = 22;
constexpr uint8_t kHasFlagsBit = 0x20;
constexpr uint8_t kInlineResultBit = 0x80;
constexpr uint16_t kNoVtableOffset = 0xFFFF;
constexpr uint16_t kNoHelpContext = 0xFFFE;

Expected<FuncKind> funcKindOf(uint8_t magic) {
    switch (magic & ~kHasFlagsBit) {
        case 0x4C: return FuncKind::PureVirtual;
        case 0xCB: return FuncKind::Dispatch;
        case 0x8B: return FuncKind::Static;
        default: return damaged("a function record has the unknown signature " + hex(magic));
    }
}

// The parameter list: per parameter a name word, whose bit 0 says whether the type
// words follow inline or the next word is their member-area offset.
Expected<void> readParams(SltgMemberContext& context, uint16_t listAt, size_t count, std::vector<ParamDesc>& params) {
    const ByteReader& members = context.scope.members;
    int64_t at = listAt;
    for (size_t p = 0; p < count; ++p) {
        const uint16_t nameWord = VANTREL_TRY(members.u16(at));
        at += 2;
        ParamDesc& param = params.emplace_back();
        param.name = VANTREL_TRY(context.names.pooledName(static_cast<uint16_t>(nameWord & ~1u)));
        int64_t typeAt = at;
        if (nameWord & 1) {
            param.type = VANTREL_TRY(context.typeDescs.decode(context.scope, members, at));
        } else {
            typeAt = VANTREL_TRY(members.u16(at));
            at += 2;
            int64_t wordsAt = typeAt;
            param.type = VANTREL_TRY(context.typeDescs.decode(context.scope, members, wordsAt));
        }
        param.flags = sltgParamFlags(members.u16Unchecked(static_cast<size_t>(typeAt)));
    }
    return {};
}

Expected<void> readFunction(SltgMemberContext& context, const ByteReader& record, FuncDesc& f,
                            std::vector<ParamDesc>& params) {
    const uint8_t magic = record.bytes()[0];
    f.funcKind = VANTREL_TRY(funcKindOf(magic));
    f.invokeKind = record.bytes()[1] >> 4;
    f.name = VANTREL_TRY(context.names.pooledName(record.u16Unchecked(4)));
    f.memberId = record.i32Unchecked(6);
    const uint16_t helpContext = record.u16Unchecked(10);
    f.helpContext = helpContext == kNoHelpContext ? 0 : helpContext;
    f.docString = VANTREL_TRY(sltgHelpString(context, record.u16Unchecked(12)));
    const uint8_t countsAndConv = record.bytes()[16];
    const uint8_t resultAndOptional = record.bytes()[17];
    f.callConv = countsAndConv & 0x7;
    f.optionalParams = static_cast<int16_t>((resultAndOptional >> 1) & 0x3F);
    f.returnType = VANTREL_TRY(
        context.typeDescs.inlineOrAt(context.scope, record.u16Unchecked(18), (resultAndOptional & kInlineResultBit) != 0));
    const uint16_t vtableOffset = record.u16Unchecked(20);
    f.vtableOffset = vtableOffset == kNoVtableOffset ? 0 : static_cast<int16_t>(vtableOffset & ~1u);
    if (magic & kHasFlagsBit) f.flags = VANTREL_TRY(record.u16(22));
    const size_t first = params.size();
    VANTREL_CHECK(readParams(context, record.u16Unchecked(14), countsAndConv >> 3, params));
    // The file keeps only the count of optional parameters: the last ones are optional.
    const size_t count = params.size() - first;
    for (size_t p = count - std::min<size_t>(count, static_cast<size_t>(f.optionalParams)); p < count; ++p)
        params[first + p].flags |= paramflag::Opt;
    return {};
}

}  // namespace

Expected<void> readSltgFunctions(SltgMemberContext& context, const SltgTypeInfoBlock& block, TypeMembers& type) {
    type.funcs.reserve(block.funcCount);
    std::vector<size_t> paramCounts;
    paramCounts.reserve(block.funcCount);
    VANTREL_CHECK(walkSltgChain(context.scope.members, block.firstFunc, block.funcCount, kFuncRecordSize, "function",
                                [&](const ByteReader& record, uint16_t k) -> Expected<void> {
        const size_t paramsBefore = type.params.size();
        Expected<void> read = readFunction(context, record, type.funcs.emplace_back(), type.params);
        if (!read) return damaged("function " + std::to_string(k) + ": " + read.error().description);
        paramCounts.push_back(type.params.size() - paramsBefore);
        return {};
    }));
    type.linkParams(paramCounts);
    return {};
}

}  // namespace vantrel
