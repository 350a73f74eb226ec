// The platform pieces that the window works through. Each is a small interface with only
// the operations the window uses, so that tests can put a scripted one in its place.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/CommonDialog.h"
#include "app/MessageBox.h"
#include "app/Module1.h"

namespace vantrel {

struct Platform {
    std::unique_ptr<FilePicker> filePicker;
    std::unique_ptr<MessageBox> messageBox;
    std::unique_ptr<Module1> shell;
    // The folder that holds the program file, read afresh on every use.
    std::function<std::string()> programFolder;
    // Where reports go when the program folder can't be written (Folders.h).
    std::function<std::string()> cacheFolder;
    // The installed data folder holding the start page; empty when there is none.
    std::string dataFolder;
    // Where the installed programs live (/usr/bin): reports go to the cache folder when the
    // program runs from there, even as a user who may write to it.
    std::string installedProgramFolder;
};

// The desktop's own dialog, message box, shell and the running executable's folder.
Platform MakeDesktopPlatform();

}  // namespace vantrel
