// Runs vantrel-report as a child process and collects what it wrote and how it ended.
#pragma once

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

}  // namespace vantrel::testing
