#include "app/FileSystemObject.h"

#include <langinfo.h>

#include <fstream>
#include <system_error>

#include <QTemporaryFile>
#include <QStringConverter>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr int32_t PermissionDenied = 70;

Error FileError(const std::string& what, const std::string& path, const std::string& reason) {
    return makeError(errc::PathFileAccess, what + " \"" + path + "\": " + reason);
}

bool HasWritePermission(fs::perms perms) {
    return (perms & fs::perms::owner_write) != fs::perms::none;
}

Error PermissionError(const fs::path& path) {
    return makeError(PermissionDenied, "Permission denied: \"" + path.string() + "\"");
}

// The page's bytes in the system's code page. On a UTF-8 system that is the text itself.
QByteArray SystemCodePage(std::string_view utf8) {
    static const bool systemIsUtf8 = [] {
        const QByteArray codeset(nl_langinfo(CODESET));
        return codeset.compare("UTF-8", Qt::CaseInsensitive) == 0 ||
               codeset.compare("UTF8", Qt::CaseInsensitive) == 0;
    }();
    if (systemIsUtf8) return QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QStringEncoder encoder(QStringConverter::System);
    return encoder(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

}  // namespace

TextStream::TextStream(std::unique_ptr<QTemporaryFile> file, std::string target)
    : file_(std::move(file)), target_(std::move(target)) {}
TextStream::TextStream(TextStream&&) noexcept = default;
TextStream& TextStream::operator=(TextStream&&) noexcept = default;
TextStream::~TextStream() {
    // Without Close the temporary file removes itself.
}

Expected<void> TextStream::Write(std::string_view text) {
    if (!file_) return makeError(errc::PathFileAccess, "The file is closed.");
    const QByteArray bytes = SystemCodePage(text);
    if (file_->write(bytes) != bytes.size())
        return FileError("Could not write", target_, file_->errorString().toStdString());
    return {};
}

// The written file takes the target's place in one step. It is not synced to the disk
// first: a report is a cache, and a sync can take longer than the whole report.
Expected<void> TextStream::Close() {
    if (!file_) return makeError(errc::PathFileAccess, "The file is closed.");
    const std::unique_ptr<QTemporaryFile> file = std::move(file_);
    if (!file->flush()) return FileError("Could not write", target_, file->errorString().toStdString());
    std::error_code error;
    fs::rename(file->fileName().toStdString(), target_, error);
    if (error) return FileError("Could not write", target_, error.message());
    file->setAutoRemove(false);
    return {};
}

Expected<TextStream> FileSystemObject::OpenTextFile(const std::string& path, int ioMode, bool create,
                                                    int format) const {
    if (ioMode != iomode::ForWriting || !create || format != tristate::False)
        return makeError(errc::InvalidArgument, "Only writing a new or existing text file is offered.");
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!error && fs::exists(status) && !HasWritePermission(status.permissions()))
        return PermissionError(path);
    auto file = std::make_unique<QTemporaryFile>(QString::fromStdString(path + ".XXXXXX"));
    if (!file->open()) return FileError("Could not open", path, file->errorString().toStdString());
    // Readable as a file the user writes is, rather than the owner-only temporary file's.
    file->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                         QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return TextStream(std::move(file), path);
}

Expected<Folder> FileSystemObject::GetFolder(const std::string& path) const {
    std::error_code error;
    if (!fs::is_directory(path, error))
        return makeError(errc::PathFileAccess, "Path not found: \"" + path + "\"");
    return Folder(path);
}

Expected<std::vector<File>> Folder::Files() const {
    std::error_code error;
    fs::directory_iterator entries(path_, error);
    if (error) return FileError("Could not list", path_.string(), error.message());
    std::vector<File> files;
    for (const fs::directory_entry& entry : entries) {
        std::error_code kindError;
        if (entry.is_regular_file(kindError)) files.emplace_back(entry.path());
    }
    return files;
}

Expected<std::string> File::ReadStart(size_t count) const {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return FileError("Could not read", path_.string(), "cannot open");
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

Expected<void> File::Delete(bool force) const {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path_, error);
    if (error) return FileError("Could not delete", path_.string(), error.message());
    if (!force && !HasWritePermission(status.permissions())) return PermissionError(path_);
    if (!fs::remove(path_, error))
        return FileError("Could not delete", path_.string(), error ? error.message() : "not found");
    return {};
}

}  // namespace vantrel
