// Writes a page into a folder so that the file is either the whole old page or the
// whole new one: the bytes go to a temporary file in the same folder, which is then
// renamed over the target.
#pragma once

#include <string>
#include <string_view>

#include "typelib/file/Error.h"

namespace vantrel::cli {

Expected<void> WritePageFile(const std::string& folder, const std::string& fileName,
                             std::string_view page);

}  // namespace vantrel::cli
