#include "app/Platform.h"

#include <QCoreApplication>

#include "app/Folders.h"
#include "app/InstallPaths.h"

namespace vantrel {

Platform MakeDesktopPlatform() {
    Platform platform;
    platform.filePicker = std::make_unique<QtFilePicker>();
    platform.messageBox = std::make_unique<QtMessageBox>();
    platform.shell = std::make_unique<Module1>();
    platform.programFolder = [] { return QCoreApplication::applicationDirPath().toStdString(); };
    platform.cacheFolder = UserCacheFolder;
    platform.dataFolder = InstalledDataFolder;
    platform.installedProgramFolder = InstalledProgramFolder;
    return platform;
}

}  // namespace vantrel
