// The file operations the window uses: writing a report page as text, and listing and
// deleting the files of a folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/file/Error.h"

class QTemporaryFile;

namespace vantrel {

namespace iomode {
inline constexpr int ForWriting = 2;
}
namespace tristate {
inline constexpr int False = 0;  // "ASCII": the system's code page for non-Unicode text
}

// A text file being written. The text goes to a temporary file beside the target, and
// Close puts it in the target's place in one step: a failure on the way leaves the
// previous file (or none), never a partial one.
class TextStream {
public:
    TextStream(std::unique_ptr<QTemporaryFile> file, std::string target);
    TextStream(TextStream&&) noexcept;
    TextStream& operator=(TextStream&&) noexcept;
    ~TextStream();  // without Close, the temporary file is removed

    // text is UTF-8; it is stored in the system's code page, without a byte-order mark.
    Expected<void> Write(std::string_view text);
    Expected<void> Close();

private:
    std::unique_ptr<QTemporaryFile> file_;
    std::string target_;
};

class File {
public:
    explicit File(std::filesystem::path path) : path_(std::move(path)) {}

    std::string Name() const { return path_.filename().string(); }
    // File systems here keep no 8.3 aliases: the short name is the name itself.
    std::string ShortName() const { return Name(); }
    const std::filesystem::path& Path() const { return path_; }
    // Up to `count` bytes from the file's start.
    Expected<std::string> ReadStart(size_t count) const;
    // Without force, a file without write permission stays and the call fails; the
    // permission bits decide, whoever the process runs as.
    Expected<void> Delete(bool force) const;

private:
    std::filesystem::path path_;
};

class Folder {
public:
    explicit Folder(std::filesystem::path path) : path_(std::move(path)) {}
    // The regular files directly in the folder, not those in its subfolders.
    Expected<std::vector<File>> Files() const;

private:
    std::filesystem::path path_;
};

class FileSystemObject {
public:
    // Opens `path` for writing, creating it if missing; only ForWriting with creation
    // and the ASCII format are offered. A file without write permission is refused.
    Expected<TextStream> OpenTextFile(const std::string& path, int ioMode, bool create,
                                      int format) const;
    Expected<Folder> GetFolder(const std::string& path) const;
};

}  // namespace vantrel
