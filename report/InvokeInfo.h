// Captions of member kinds, shared by InvokeInfo and the member report, which routes
// members into sections by these very texts.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel::caption {

inline constexpr std::string_view Method = "Method";
inline constexpr std::string_view PropertyGet = "Property Get";
inline constexpr std::string_view PropertyLet = "Property Let";
inline constexpr std::string_view PropertyGetLet = "Property Get/Let";
inline constexpr std::string_view PropertySet = "Property Set";
inline constexpr std::string_view PropertyGetSet = "Property Get/Set";
inline constexpr std::string_view PropertyLetSet = "Property Let/Set";
inline constexpr std::string_view PropertyGetLetSet = "Property Get/Let/Set";
inline constexpr std::string_view Event = "Event";
inline constexpr std::string_view Constant = "Constant";

// The caption of InvKinds as a view of a static text; empty when the kinds have no name.
std::string_view Of(int32_t InvKinds);

}  // namespace vantrel::caption
