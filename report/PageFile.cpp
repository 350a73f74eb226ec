#include "report/PageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vantrel {

namespace {

Error fileError(const std::string& what, const std::string& path) {
    return makeError(errc::PathFileAccess, "can't " + what + " " + path + ": " + std::strerror(errno));
}

// The permissions a newly created file gets under the current umask.
mode_t newFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The folder part of a path: "." for a bare file name.
std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

Expected<void> WriteFileReplacing(const std::string& target, std::string_view page) {
    const std::string folder = folderOf(target);
    std::string pattern = folder + "/.vantrel-page-XXXXXX";
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return fileError("create a file in", folder);
    const std::string temporaryPath(temporary.data());

    const bool written = ::fchmod(fd, newFileMode()) == 0 && writeAll(fd, page);
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        if (!written) errno = writeErrno;
        const Error error = fileError("write", target);
        ::unlink(temporaryPath.c_str());
        return error;
    }
    if (::rename(temporaryPath.c_str(), target.c_str()) != 0) {
        const Error error = fileError("write", target);
        ::unlink(temporaryPath.c_str());
        return error;
    }
    return {};
}

}  // namespace vantrel
