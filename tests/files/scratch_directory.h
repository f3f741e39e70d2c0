// A scratch directory per test, removed whole (read-only files too), and its trees.
#pragma once

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

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

// Lists `directory` into `tree` ("dir\\" for directories), or without a tree removes it.
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
    // Builds `entries` afresh: "d\\" a directory, "f=text" a file (default text "x").
    void Build(const std::vector<std::string>& entries) {
        ScratchTest::TearDown();
        ScratchTest::SetUp();
        for (const std::string& entry : entries) {
            const std::string name = entry.substr(0, entry.find('='));
            for (size_t slash = name.find('\\'); slash != name.npos;
                 slash = name.find('\\', slash + 1))
                CreateDirectoryA(Path(name.substr(0, slash)).c_str(), nullptr);
            if (name.back() != '\\')
                std::ofstream(Path(name), std::ios::binary)
                    << (name.size() < entry.size() ? entry.substr(name.size() + 1) : "x");
        }
    }
    std::string Content(const std::string& relative) const {
        std::ostringstream text;
        text << std::ifstream(Path(relative), std::ios::binary).rdbuf();
        return text.str();
    }
    // Every file and directory below `relative`, sorted, or joined by spaces.
    std::set<std::string> Entries(const std::string& relative = "") const {
        std::set<std::string> entries;
        Walk(Path(relative), "", &entries);
        return entries;
    }
    std::string Tree(const std::string& relative = "") const { return Joined(Entries(relative)); }
    // "+entry" for each entry added since `before`, then "-entry" for each one gone.
    std::string Changes(const std::set<std::string>& before) const {
        const std::set<std::string> after = Entries();
        std::set<std::string> changes;
        for (const std::string& entry : after)
            changes.insert(before.count(entry) == 0 ? "+" + entry : "");
        for (const std::string& entry : before)
            changes.insert(after.count(entry) == 0 ? "-" + entry : "");
        changes.erase("");
        return Joined(changes);
    }

    std::string root_;
};

} // namespace testing_files
} // namespace REDudi
