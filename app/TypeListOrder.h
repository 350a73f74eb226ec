// The order of the type list: alphabetical ignoring case; like names keep the order in
// which the library holds them.
#pragma once

#include <string>
#include <vector>

#include <QStringList>

namespace vantrel {

QStringList SortedIgnoringCase(const std::vector<std::string>& names);

}  // namespace vantrel
