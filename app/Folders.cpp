#include "app/Folders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

constexpr fs::perms AnyWrite = fs::perms::owner_write | fs::perms::group_write |
                               fs::perms::others_write;

}  // namespace

std::string UserCacheFolder() {
    const std::string cacheHome = Environment("XDG_CACHE_HOME");
    if (!cacheHome.empty() && cacheHome.front() == '/') return cacheHome + "/vantrel";
    return Environment("HOME") + "/.cache/vantrel";
}

bool FolderIsWritable(const std::string& folder) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (error || !fs::is_directory(status)) return false;
    return (status.permissions() & AnyWrite) != fs::perms::none &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string ReportFolder(const std::string& programFolder, const std::string& cacheFolder,
                         const std::string& installedProgramFolder) {
    std::error_code error;
    const bool installed = !installedProgramFolder.empty() &&
                           fs::equivalent(programFolder, installedProgramFolder, error);
    return !installed && FolderIsWritable(programFolder) ? programFolder : cacheFolder;
}

Expected<void> EnsureFolder(const std::string& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return {};
    fs::create_directories(folder, error);
    if (error)
        return makeError(errc::PathFileAccess,
                         "Could not create the folder \"" + folder + "\": " + error.message());
    fs::permissions(folder, fs::perms::owner_all, error);
    return {};
}

std::string StartPagePath(const std::string& programFolder, const std::string& dataFolder) {
    const std::string beside = programFolder + "/default.html";
    std::error_code error;
    if (dataFolder.empty() || fs::exists(beside, error)) return beside;
    return dataFolder + "/default.html";
}

}  // namespace vantrel
