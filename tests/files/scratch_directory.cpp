#include "scratch_directory.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace REDudi {
namespace testing_files {

namespace {

void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = directory + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

void CollectTree(const std::string& directory, const std::string& prefix,
                 std::vector<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(prefix + name + "\\");
            CollectTree(directory + "\\" + name, prefix + name + "\\", out);
        } else {
            out.push_back(prefix + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace

void ScratchTest::SetUp() {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ =
        std::string(temp) + "redudi_" + test->name() + "_" + std::to_string(GetCurrentProcessId());
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
}

void ScratchTest::TearDown() {
    RemoveTree(root_);
}

std::string ScratchTest::Path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
}

AFileSpec ScratchTest::Spec(const std::string& relative) const {
    AFileSpec spec;
    const std::string path = Path(relative);
    spec.SetFromMarshalledIQVFileSpec(path.data(), static_cast<unsigned int>(path.size()));
    return spec;
}

void ScratchTest::MakeDir(const std::string& relative) const {
    std::string path = root_;
    std::istringstream parts(relative);
    for (std::string part; std::getline(parts, part, '\\');) {
        path += "\\" + part;
        CreateDirectoryA(path.c_str(), nullptr);
    }
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
    std::ifstream in(Path(relative), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ScratchTest::Tree(const std::string& relative) const {
    std::vector<std::string> out;
    CollectTree(Path(relative), "", out);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> RelativePaths(const std::list<AFileSpec>& specs, const std::string& root) {
    std::vector<std::string> out;
    for (const AFileSpec& spec : specs) {
        const std::string path = spec.GetFullPath();
        out.push_back(path.compare(0, root.size() + 1, root + "\\") == 0
                          ? path.substr(root.size() + 1)
                          : path);
    }
    return out;
}

} // namespace testing_files
} // namespace REDudi
