// Where the window writes its report pages and finds its start page. The program folder
// serves both where it can be written (a build tree, a portable copy); an installed program
// writes its reports to the user's cache folder and reads its start page from the installed
// data folder.
#pragma once

#include <string>

#include "typelib/file/Error.h"

namespace vantrel {

// The user's cache folder for the program: $XDG_CACHE_HOME/vantrel when that is an absolute
// path, else ~/.cache/vantrel. Not created here.
std::string UserCacheFolder();

// Whether the process may create files in `folder`. The permission bits decide, whoever the
// process runs as, as they do for deleting a report.
bool FolderIsWritable(const std::string& folder);

// The program folder where it is writable and not the installed programs' folder, else
// `cacheFolder`.
std::string ReportFolder(const std::string& programFolder, const std::string& cacheFolder,
                         const std::string& installedProgramFolder);

// Makes `folder` (and its parents) if missing; a new folder is readable by its owner only.
Expected<void> EnsureFolder(const std::string& folder);

// The start page: default.html in the program folder if there is one, else in `dataFolder`
// (the installed data folder; empty when there is none).
std::string StartPagePath(const std::string& programFolder, const std::string& dataFolder);

}  // namespace vantrel
