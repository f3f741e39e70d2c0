// A scratch directory per test under the temporary directory, removed with
// everything in it (read-only files included) when the test ends, and small
// helpers to build and inspect trees in it.
#pragma once

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace REDudi {
namespace testing_files {

class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The full path of `relative` under the scratch directory.
    std::string Path(const std::string& relative) const;
    AFileSpec Spec(const std::string& relative) const;
    // Creates the file (and its missing directories) with `content`.
    void MakeFile(const std::string& relative, const std::string& content = "x") const;
    void MakeDir(const std::string& relative) const;
    void MakeReadOnly(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    std::string Content(const std::string& relative) const;
    // Every file and directory below `relative`, relative to it, sorted;
    // directories end with a backslash.
    std::vector<std::string> Tree(const std::string& relative = "") const;

    std::string root_;
};

// The paths of `specs` relative to `root`, in their order.
std::vector<std::string> RelativePaths(const std::list<AFileSpec>& specs, const std::string& root);

} // namespace testing_files
} // namespace REDudi
