#include "scratch_directory.h"

#include <windows.h>

#include <fstream>
#include <set>
#include <sstream>

namespace REDudi {
namespace testing_files {

namespace {

// Wide, so that names the ANSI code page cannot represent go too.
void RemoveTree(const std::wstring& directory) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName, path = directory + L"\\" + name;
        if (name == L"." || name == L"..")
            continue;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            DeleteFileW(path.c_str());
    }
    FindClose(search);
    RemoveDirectoryW(directory.c_str());
}

void CollectTree(const std::string& directory, const std::string& prefix,
                 std::set<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out.insert(prefix + name + (isDirectory ? "\\" : ""));
        if (isDirectory)
            CollectTree(directory + "\\" + name, prefix + name + "\\", out);
    }
    FindClose(search);
}

} // namespace

AFileSpec At(const std::string& path) {
    AFileSpec spec;
    spec.SetFromMarshalledIQVFileSpec(path.data(), static_cast<unsigned int>(path.size()));
    return spec;
}

std::string ApplicationDirectory() {
    char module[MAX_PATH];
    const std::string path(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
    return path.substr(0, path.rfind('\\'));
}

void ScratchTest::SetUp() {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    root_ = std::string(temp) + "redudi_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
            std::to_string(GetCurrentProcessId());
    TearDown();
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
}

void ScratchTest::TearDown() {
    RemoveTree(std::wstring(root_.begin(), root_.end()));
}

std::string ScratchTest::Path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
}

void ScratchTest::MakeDir(const std::string& relative) const {
    std::istringstream parts(relative);
    std::string path = root_;
    for (std::string part; std::getline(parts, part, '\\');)
        CreateDirectoryA((path += "\\" + part).c_str(), nullptr);
}

void ScratchTest::MakeFile(const std::string& relative, const std::string& content) const {
    const std::size_t slash = relative.rfind('\\');
    if (slash != std::string::npos)
        MakeDir(relative.substr(0, slash));
    std::ofstream(Path(relative), std::ios::binary) << content;
}

void ScratchTest::MakeReadOnly(const std::string& relative) const {
    SetFileAttributesA(Path(relative).c_str(), FILE_ATTRIBUTE_READONLY);
}

bool ScratchTest::Exists(const std::string& relative) const {
    return GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ScratchTest::Content(const std::string& relative) const {
    std::ostringstream text;
    text << std::ifstream(Path(relative), std::ios::binary).rdbuf();
    return text.str();
}

std::string ScratchTest::Tree(const std::string& relative) const {
    std::set<std::string> entries;
    CollectTree(Path(relative), "", entries);
    std::string text;
    for (const std::string& entry : entries)
        text += (text.empty() ? "" : " ") + entry;
    return text;
}

} // namespace testing_files
} // namespace REDudi
