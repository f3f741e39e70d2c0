#include "win32/site_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace REDudi {
namespace testing {

namespace fs = std::filesystem;

SiteFolder::SiteFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        "redudi_site_" + std::to_string(GetCurrentProcessId()) + "_" + (test ? test->name() : "x");
    root_ = (fs::temp_directory_path() / name).string();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    fs::create_directory(root_, ignored);
}

SiteFolder::~SiteFolder() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string SiteFolder::Path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
}

bool SiteFolder::MakeDirectory(const std::string& relative) const {
    return CreateDirectoryA(Path(relative).c_str(), nullptr) != 0;
}

bool SiteFolder::Write(const std::string& relative, const std::string& bytes) const {
    std::error_code ignored;
    fs::create_directories(fs::path(Path(relative)).parent_path(), ignored);
    std::ofstream file(Path(relative), std::ios::binary);
    return static_cast<bool>(file << bytes);
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
