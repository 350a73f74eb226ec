#include "typelib/FileBytes.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vantrel {
namespace {

Error cantRead(const std::string& path) {
    return makeError(errc::PathFileAccess, "The file '" + path + "' can't be read");
}

}  // namespace

Expected<std::vector<uint8_t>> readWholeFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        return makeError(errc::FileNotFound, "File not found: " + path);
    }
    if (std::filesystem::is_directory(status)) {
        return makeError(errc::PathFileAccess,
                         "'" + path + "' is a folder, not a type library file");
    }
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return cantRead(path);
    if (size > kMaxLibraryFileSize) {
        return makeError(errc::PathFileAccess, "The file '" + path + "' is too large (" +
                                                   std::to_string(size) +
                                                   " bytes) to be a type library; the limit is 256 MiB");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return cantRead(path);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<uintmax_t>(in.gcount()) != size) return cantRead(path);
    return bytes;
}

}  // namespace vantrel
