// A folder of templates and outputs in the temporary folder, unique to the
// process and the test, removed with everything in it at the end. Relative
// paths use backslashes.
#pragma once

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace REDudi {
namespace testing {

class SiteFolder {
public:
    SiteFolder() {
        root_ = (std::filesystem::temp_directory_path() /
                 ("redudi_site_" + std::to_string(GetCurrentProcessId()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                    .string();
        std::filesystem::remove_all(root_, ignored_);
        std::filesystem::create_directory(root_, ignored_);
    }
    ~SiteFolder() { std::filesystem::remove_all(root_, ignored_); }

    std::string Path(const std::string& relative) const {
        return relative.empty() ? root_ : root_ + "\\" + relative;
    }
    bool MakeDirectory(const std::string& relative) const {
        return CreateDirectoryA(Path(relative).c_str(), nullptr) != 0;
    }
    // Writes the bytes unchanged, creating the file's directory if needed.
    bool Write(const std::string& relative, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path(),
                                            ignored_);
        std::ofstream file(Path(relative), std::ios::binary);
        return static_cast<bool>(file << bytes);
    }
    // The file's bytes; `exists` false when it cannot be read.
    std::string Read(const std::string& relative, bool* exists = nullptr) const {
        std::ifstream file(Path(relative), std::ios::binary);
        if (exists)
            *exists = static_cast<bool>(file);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    AFileSpec Spec(const std::string& relative) const {
        AFileSpec spec;
        std::string path = Path(relative);
        spec.SetPersistentData(path.data(), static_cast<unsigned int>(path.size()));
        return spec;
    }

private:
    std::string root_;
    std::error_code ignored_;
};

} // namespace testing
} // namespace REDudi
