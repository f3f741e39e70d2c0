// A scratch directory per test under the temporary directory, removed with
// everything in it (read-only files included) when the test ends, and small
// helpers to build and inspect trees in it.
#pragma once

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <string>

namespace REDudi {
namespace testing_files {

// A facade whose path is exactly `path`, nothing resolved.
AFileSpec At(const std::string& path);
std::string ApplicationDirectory();

class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The full path of `relative` under the scratch directory.
    std::string Path(const std::string& relative) const;
    AFileSpec Spec(const std::string& relative) const { return At(Path(relative)); }
    // Creates the file (and its missing directories) with `content`.
    void MakeFile(const std::string& relative, const std::string& content = "x") const;
    void MakeDir(const std::string& relative) const;
    void MakeReadOnly(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    std::string Content(const std::string& relative) const;
    // Every file and directory below `relative`, relative to it, sorted and
    // joined by spaces; directories end with a backslash.
    std::string Tree(const std::string& relative = "") const;

    std::string root_;
};

} // namespace testing_files
} // namespace REDudi
