// The file specification and its facades on real paths under Wine.
#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace REDudi {
namespace {

// A narrow facade whose path is exactly `path`, with nothing resolved.
AFileSpec At(const char* path) {
    AFileSpec spec;
    spec.SetFromMarshalledIQVFileSpec(path, static_cast<unsigned int>(std::strlen(path)));
    return spec;
}

struct RelativeRow {
    const char* base;
    const char* relative;
    const char* expected;
};

TEST(FileSpec, SetRelativePathNormalises) {
    const RelativeRow rows[] = {
        {"D:\\x", "", "D:\\x"},
        {"D:\\x\\", "", "D:\\x\\"},
        {"D:\\x\\", "\\\\", "D:\\x"},
        {"D:\\x", "a/b", "D:\\x\\a\\b"},
        {"D:\\x", "\\a\\\\b\\", "D:\\x\\a\\b"},
        {"D:\\x", ".\\a", "D:\\x\\a"},
        {"D:\\x", "a\\.\\.\\b", "D:\\x\\a\\b"},
        {"D:\\x\\w", "..\\y", "D:\\x\\y"},
        {"D:\\x\\w", "..\\..\\y", "D:\\y"},
        {"D:\\x\\w", "..", "D:\\x\\w\\.."},
        {"D:\\x", "D:\\y", "D:\\x\\D:\\y"},
        {"\\\\server\\share", "a", "\\server\\share\\a"},
    };
    for (const RelativeRow& row : rows) {
        AFileSpec spec = At(row.base);
        spec += row.relative;
        EXPECT_EQ(spec.GetFullPath(), row.expected) << row.base << " + " << row.relative;
    }
}

TEST(FileSpec, NewSpecificationNamesTheExecutablesDirectory) {
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::string directory(module, length);
    directory.resize(directory.rfind('\\'));

    AFileSpec spec;
    EXPECT_EQ(std::string(spec.GetFullPath()), directory);
    EXPECT_TRUE(spec.IsDirectory());
    EXPECT_EQ(std::string(AFileSpec("sub\\file.txt").GetFullPath()), directory + "\\sub\\file.txt");
}

} // namespace
} // namespace REDudi
