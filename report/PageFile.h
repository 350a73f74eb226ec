// Writes a page so that the file is either the whole old page or the whole new one: the
// bytes go to a new temporary file in the same folder, which is then renamed over the
// target. A symbolic link at the target is replaced, never followed, so a link planted
// where a page goes can't make the write land elsewhere. vantrel-report and the window
// both write pages this way.
#pragma once

#include <string>
#include <string_view>

#include "typelib/file/Error.h"

namespace vantrel {

// Writes `bytes` as the file at `path`; the error names `path`.
Expected<void> WriteFileReplacing(const std::string& path, std::string_view bytes);

inline Expected<void> WritePageFile(const std::string& folder, const std::string& fileName,
                                    std::string_view page) {
    return WriteFileReplacing(folder + "/" + fileName, page);
}

}  // namespace vantrel
