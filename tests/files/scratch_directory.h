// A scratch directory per test under the temporary directory, removed with
// everything in it (read-only files included) when the test ends, and small
// helpers to build and inspect trees in it.
#pragma once

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

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

// Wide, so that names the ANSI code page cannot represent go too. Each entry
// is handed to `visit` with its path and whether it is a directory.
template <class Visit>
void ForEachEntry(const std::wstring& directory, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
    FindClose(search);
}

inline void RemoveTree(const std::wstring& directory) {
    ForEachEntry(directory, [&](const std::wstring& name, bool isDirectory) {
        const std::wstring path = directory + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        isDirectory ? RemoveTree(path) : void(DeleteFileW(path.c_str()));
    });
    RemoveDirectoryW(directory.c_str());
}

// Names are kept to ASCII but for those the tests make unrepresentable on
// purpose; those show as "?".
inline void CollectTree(const std::wstring& directory, const std::string& prefix,
                        std::set<std::string>& out) {
    ForEachEntry(directory, [&](const std::wstring& name, bool isDirectory) {
        std::string narrow;
        for (wchar_t c : name)
            narrow += c < 0x80 ? static_cast<char>(c) : '?';
        out.insert(prefix + narrow + (isDirectory ? "\\" : ""));
        if (isDirectory)
            CollectTree(directory + L"\\" + name, prefix + narrow + "\\", out);
    });
}

inline std::string Joined(const std::set<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries)
        text += (text.empty() ? "" : " ") + entry;
    return text;
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
    void TearDown() override { RemoveTree(Wide(root_)); }
    // An empty scratch directory for the next row of a table.
    void Restart() {
        TearDown();
        SetUp();
    }

    static std::wstring Wide(const std::string& path) { return {path.begin(), path.end()}; }
    // The full path of `relative` under the scratch directory.
    std::string Path(const std::string& relative) const {
        return relative.empty() ? root_ : root_ + "\\" + relative;
    }
    AFileSpec Spec(const std::string& relative) const { return At(Path(relative)); }
    void MakeDir(const std::string& relative) const {
        std::istringstream parts(relative);
        std::string path = root_;
        for (std::string part; std::getline(parts, part, '\\');)
            CreateDirectoryA((path += "\\" + part).c_str(), nullptr);
    }
    // Creates the file (and its missing directories) with `content`.
    void MakeFile(const std::string& relative, const std::string& content = "x") const {
        const std::size_t slash = relative.rfind('\\');
        if (slash != std::string::npos)
            MakeDir(relative.substr(0, slash));
        std::ofstream(Path(relative), std::ios::binary) << content;
    }
    void MakeReadOnly(const std::string& relative) const {
        SetFileAttributesA(Path(relative).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    bool Exists(const std::string& relative) const {
        return GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::string Content(const std::string& relative) const {
        std::ostringstream text;
        text << std::ifstream(Path(relative), std::ios::binary).rdbuf();
        return text.str();
    }
    // Every file and directory below `relative`, relative to it, sorted and
    // joined by spaces; directories end with a backslash.
    std::string Tree(const std::string& relative = "") const {
        std::set<std::string> entries;
        CollectTree(Wide(Path(relative)), "", entries);
        return Joined(entries);
    }

    std::string root_;
};

} // namespace testing_files
} // namespace REDudi
