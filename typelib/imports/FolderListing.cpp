#include "typelib/imports/FolderListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

std::string foldCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

FolderListing::FolderListing(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError)) continue;
        Entry entry{foldCase(it->path().filename().string()), it->path().string()};
        if (endsWith(entry.foldedName, ".tlb") || endsWith(entry.foldedName, ".olb"))
            typeLibraries_.push_back(entry.path);
        entries_.push_back(std::move(entry));
    }
    std::sort(typeLibraries_.begin(), typeLibraries_.end());
}

std::vector<std::string> FolderListing::componentFiles() const {
    std::vector<std::string> files;
    for (const Entry& entry : entries_)
        for (const char* suffix : {".tlb", ".olb", ".dll", ".ocx", ".exe"})
            if (endsWith(entry.foldedName, suffix)) files.push_back(entry.path);
    std::sort(files.begin(), files.end());
    return files;
}

std::string FolderListing::find(const std::string& fileName) const {
    // Where two names differ only in case, the exact spelling wins.
    const std::string folded = foldCase(fileName);
    std::string found;
    for (const Entry& entry : entries_) {
        if (entry.foldedName != folded) continue;
        if (fs::path(entry.path).filename().string() == fileName) return entry.path;
        if (found.empty()) found = entry.path;
    }
    return found;
}

}  // namespace vantrel
