// A folder of templates and outputs in the temporary folder, unique to the
// process and the test, removed with everything in it at the end.
#pragma once

#include <REDudi/files.h>

#include <string>

namespace REDudi {
namespace testing {

class SiteFolder {
public:
    SiteFolder();
    ~SiteFolder();
    SiteFolder(const SiteFolder&) = delete;
    SiteFolder& operator=(const SiteFolder&) = delete;

    // `relative` below the folder, with backslashes.
    std::string Path(const std::string& relative) const;
    // Creates the directory `relative` (one level).
    bool MakeDirectory(const std::string& relative) const;
    // Writes the bytes unchanged, creating the file's directory if needed.
    bool Write(const std::string& relative, const std::string& bytes) const;
    // The file's bytes; `exists` false when it cannot be read.
    std::string Read(const std::string& relative, bool* exists = nullptr) const;
    // An AFileSpec naming `relative` below the folder.
    AFileSpec Spec(const std::string& relative) const;

private:
    std::string root_;
};

} // namespace testing
} // namespace REDudi
