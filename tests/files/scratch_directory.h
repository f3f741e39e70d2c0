// A scratch directory per test under the temporary directory, removed with
// everything in it (read-only files included), and helpers to build and
// inspect trees in it.
#pragma once

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace REDudi {
namespace testing_files {

// A facade whose path is exactly `path`, nothing resolved.
inline AFileSpec At(const std::string& path) {
    AFileSpec spec;
    spec.SetFromMarshalledIQVFileSpec(path.data(), static_cast<unsigned int>(path.size()));
    return spec;
}

inline std::string ApplicationDirectory() {
    char module[MAX_PATH];
    const std::string path(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
    return path.substr(0, path.rfind('\\'));
}

inline std::string Joined(const std::set<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries)
        text += (text.empty() ? "" : " ") + entry;
    return text;
}

// Lists what `directory` holds into `tree` (relative, directories ending with
// a backslash), or without a tree removes it with everything in it.
inline void Walk(const std::string& directory, const std::string& prefix,
                 std::set<std::string>* tree) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName, path = directory + "\\" + name;
        const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name == "." || name == "..")
            continue;
        if (tree != nullptr)
            tree->insert(prefix + name + (isDirectory ? "\\" : ""));
        else
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (isDirectory)
            Walk(path, prefix + name + "\\", tree);
        else if (tree == nullptr)
            DeleteFileA(path.c_str());
    }
    FindClose(search);
    if (tree == nullptr)
        RemoveDirectoryA(directory.c_str());
}

class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        root_ = std::string(temp) + "redudi_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                std::to_string(GetCurrentProcessId());
        TearDown();
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
    }
    void TearDown() override { Walk(root_, "", nullptr); }

    // The full path of `relative` under the scratch directory.
    std::string Path(const std::string& relative) const {
        return relative.empty() ? root_ : root_ + "\\" + relative;
    }
    AFileSpec Spec(const std::string& relative) const { return At(Path(relative)); }
    // Builds the tree of `entries` afresh: "d\\" a directory, "f=text" a file
    // holding text (default "x"), "f!" a read-only file.
    void Build(const std::vector<std::string>& entries) {
        ScratchTest::TearDown();
        ScratchTest::SetUp();
        for (std::string entry : entries) {
            const bool readOnly = entry.back() == '!';
            const size_t equals = entry.substr(0, entry.size() - readOnly).find('=');
            const std::string text =
                equals == entry.npos
                    ? "x"
                    : entry.substr(equals + 1, entry.size() - equals - 1 - readOnly);
            entry.resize(std::min(equals, entry.size() - readOnly));
            for (size_t slash = entry.find('\\'); slash != entry.npos;
                 slash = entry.find('\\', slash + 1))
                CreateDirectoryA(Path(entry.substr(0, slash)).c_str(), nullptr);
            if (entry.back() != '\\')
                std::ofstream(Path(entry), std::ios::binary) << text;
            if (readOnly)
                SetFileAttributesA(Path(entry).c_str(), FILE_ATTRIBUTE_READONLY);
        }
    }
    std::string Content(const std::string& relative) const {
        std::ostringstream text;
        text << std::ifstream(Path(relative), std::ios::binary).rdbuf();
        return text.str();
    }
    // Every file and directory below `relative`, sorted and joined by spaces.
    std::string Tree(const std::string& relative = "") const {
        std::set<std::string> entries;
        Walk(Path(relative), "", &entries);
        return Joined(entries);
    }

    std::string root_;
};

} // namespace testing_files
} // namespace REDudi
