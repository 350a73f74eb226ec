#include "typelib/sltg/SltgImpl.h"

#include "typelib/model/Automation.h"

namespace vantrel {
namespace {

constexpr int64_t kImplRecordSize = 0x16;
constexpr uint8_t kImplMagic = 0x4A;

}  // namespace

Expected<std::vector<ImplType>> readSltgImpls(const SltgMemberContext& context, const SltgTypeInfoBlock& block) {
    std::vector<ImplType> impls;
    const ByteReader& members = context.scope.members;
    VANTREL_CHECK(walkSltgChain(members, block.firstImpl, block.implCount, kImplRecordSize, "impl",
                                [&](const ByteReader& record, uint16_t k) -> Expected<void> {
        if (record.bytes()[0] != kImplMagic) return damaged("its impl record " + std::to_string(k) + " has no impl signature");
        const uint16_t typeAt = record.u16Unchecked(8);
        const uint16_t word = VANTREL_TRY(members.u16(typeAt));
        const uint16_t reference = VANTREL_TRY(members.u16(int64_t{typeAt} + 2));
        if ((word & 0x3F) != vt::UserDefined) return damaged("its impl record " + std::to_string(k) + " names no type");
        ImplType& impl = impls.emplace_back();
        impl.flags = record.bytes()[6];
        impl.type = VANTREL_TRY(context.typeDescs.referenced(context.scope, reference));
        return {};
    }));
    return impls;
}

}  // namespace vantrel
