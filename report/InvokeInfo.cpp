#include "report/InvokeInfo.h"

#include "report/MemberReport.h"

namespace vantrel {

namespace caption {

std::string_view Of(int32_t InvKinds) {
    // The constant bit wins over everything else the set holds.
    if (InvKinds & 32) return Constant;
    switch (InvKinds) {
        case 1: return Method;
        case 2: return PropertyGet;
        case 4: return PropertyLet;
        case 6: return PropertyGetLet;
        case 8: return PropertySet;
        case 10: return PropertyGetSet;
        case 12: return PropertyLetSet;
        case 14: return PropertyGetLetSet;
        case 16: return Event;
        default: return {};  // a method bit mixed with property bits, or unknown bits
    }
}

}  // namespace caption

std::string InvokeInfo(int32_t InvKinds) {
    return std::string(caption::Of(InvKinds));
}

}  // namespace vantrel
