// The file names of one folder, read once: where a component's imported libraries are
// looked for.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

class FolderListing {
public:
    // An unreadable or missing folder lists nothing.
    explicit FolderListing(const std::string& folder);

    // The path of the file named `fileName`, compared ignoring case; empty when none.
    std::string find(const std::string& fileName) const;
    // The paths of the .tlb and .olb files, in name order.
    const std::vector<std::string>& typeLibraryFiles() const { return typeLibraries_; }
    // The paths of the files that may carry a type library: those and the .dll, .ocx
    // and .exe files, in name order.
    std::vector<std::string> componentFiles() const;

private:
    struct Entry {
        std::string foldedName;
        std::string path;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> typeLibraries_;
};

// ASCII letters folded to lower case; file systems that ignore case fold at least these.
std::string foldCase(std::string text);

}  // namespace vantrel
