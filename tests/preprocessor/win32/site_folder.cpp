#include "win32/site_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>

namespace REDudi {
namespace testing {

namespace {

void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = directory + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

} // namespace

SiteFolder::SiteFolder() {
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string(folder, length) + "redudi_site_" + std::to_string(GetCurrentProcessId()) +
            "_" + (test ? test->name() : "x");
    RemoveTree(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
}

SiteFolder::~SiteFolder() {
    RemoveTree(root_);
}

std::string SiteFolder::Path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
}

bool SiteFolder::MakeDirectory(const std::string& relative) const {
    return CreateDirectoryA(Path(relative).c_str(), nullptr) != 0;
}

bool SiteFolder::Write(const std::string& relative, const std::string& bytes) const {
    std::size_t slash = relative.find_last_of('\\');
    if (slash != std::string::npos)
        CreateDirectoryA(Path(relative.substr(0, slash)).c_str(), nullptr);
    std::ofstream file(Path(relative), std::ios::binary);
    file << bytes;
    return static_cast<bool>(file);
}

std::string SiteFolder::Read(const std::string& relative, bool* exists) const {
    std::ifstream file(Path(relative), std::ios::binary);
    if (exists)
        *exists = static_cast<bool>(file);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

AFileSpec SiteFolder::Spec(const std::string& relative) const {
    AFileSpec spec;
    std::string path = Path(relative);
    spec.SetPersistentData(path.data(), static_cast<unsigned int>(path.size()));
    return spec;
}

} // namespace testing
} // namespace REDudi
