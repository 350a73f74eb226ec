// Hands a file or folder to the desktop's default handler for its type.
#pragma once

#include <string>

#include "typelib/file/Error.h"

namespace vantrel {

class Module1 {
public:
    virtual ~Module1() = default;
    // Starts the desktop's launcher (xdg-open) with the path and returns at once. An
    // error only when the launcher itself can't be started; what the handler then does
    // with the path is not followed.
    virtual Expected<void> LaunchFile(const std::string& path);
};

}  // namespace vantrel
