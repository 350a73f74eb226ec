// Runs vantrel-report as a child process and collects what it wrote and how it ended.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::testing {

struct ToolResult {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// workingDirectory: where the tool runs; empty for the test's own.
ToolResult RunTool(const std::vector<std::string>& arguments,
                   const std::string& workingDirectory = {});

// A fresh, empty folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The names of the files in it, sorted.
    std::vector<std::string> fileNames() const;

private:
    std::filesystem::path path_;
};

std::string ReadWhole(const std::filesystem::path& path);

}  // namespace vantrel::testing
