// The file specification on real paths under Wine: appending relative paths,
// the parts cut out of a path, the byte forms, probing, the well-known
// directories and the writable-directory probe.
#include "scratch_directory.h"

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace REDudi {
namespace {

using testing_files::ScratchTest;

// A facade whose path is exactly `path`, nothing resolved.
AFileSpec At(const std::string& path) {
    AFileSpec spec;
    spec.SetFromMarshalledIQVFileSpec(path.data(), static_cast<unsigned int>(path.size()));
    return spec;
}

// Reaches the protected helpers of the Windows specification.
class ProbingFileSpec : public WIN32AU_FileSpec {
public:
    explicit ProbingFileSpec(const std::string& path) {
        SetFromMarshalledIQVFileSpec(path.data(), static_cast<unsigned int>(path.size()));
    }
    using WIN32AU_FileSpec::StripEndingPathDelimiter;
    using WIN32AU_FileSpec::VerifyAccessToDirectory;
};

std::string ApplicationDirectory() {
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string directory(module, length);
    return directory.substr(0, directory.rfind('\\'));
}

TEST(FileSpec, SetRelativePathAppendsAndNormalises) {
    const struct {
        const char* base;
        const char* relative;
        const char* expected;
    } rows[] = {
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
        {"D:", "..\\x", "D:\\x"},
        {"\\\\server\\share", "a", "\\server\\share\\a"},
    };
    for (const auto& row : rows) {
        AFileSpec spec = At(row.base);
        spec += row.relative;
        EXPECT_EQ(spec.GetFullPath(), row.expected) << row.base << " + " << row.relative;
    }
}

TEST(FileSpec, PartsAreCutOutOfThePath) {
    const struct {
        const char* path;
        const char* fileName;
        const char* drive;
        const char* parent; // "-" when there is none
        const char* url;
    } rows[] = {
        {"D:\\x\\f.tar.gz", "f.tar.gz", "D", "D:\\x", "file://D:%5cx%5cf.tar.gz"},
        {"D:\\x", "x", "D", "D:", "file://D:%5cx"},
        {"D:", "", "D", "-", "file://D:"},
        {"D:\\x\\", "", "D", "D:", "file://D:%5cx%5c"},
        {"rel\\name", "name", "", "rel", "file://rel%5cname"},
        {"D:\\a b\\f.txt", "f.txt", "D", "D:\\a b", "file://D:%5ca%20b%5cf.txt"},
        {"E:\\my-file_1,2/3", "my-file_1,2/3", "E", "E:", "file://E:%5cmy%2dfile%5f1,2/3"},
    };
    for (const auto& row : rows) {
        const AFileSpec spec = At(row.path);
        EXPECT_EQ(spec.GetFileName(), row.fileName) << row.path;
        EXPECT_EQ(spec.GetDriveName(), row.drive) << row.path;
        EXPECT_EQ(spec.GetVolumeName(), row.drive) << row.path;
        const AFileSpec parent = spec.GetParentDirectory();
        EXPECT_EQ(parent.IsObjectValid() ? parent.GetFullPath() : PString("-"), row.parent)
            << row.path;
        EXPECT_EQ(spec.GetURL(), row.url) << row.path;
    }
    EXPECT_EQ(At("D:\\x").GetURL(), "file://D:%5cx");
    EXPECT_EQ(At("D:\\\xe9").GetURL(), "file://D:%5c%e9");
}

TEST(FileSpec, ComparisonIsExactAndCaseSensitive) {
    EXPECT_TRUE(At("D:\\A") == At("D:\\A"));
    EXPECT_FALSE(At("D:\\A") == At("d:\\a"));
    EXPECT_FALSE(At("D:\\A") == At("D:\\A\\"));
    EXPECT_TRUE(At("D:\\A") != At("D:\\a"));
}

TEST(FileSpec, ByteFormsAreThePathBytes) {
    const AFileSpec spec = At("D:\\x\\y");
    unsigned int size = 0;
    ASSERT_TRUE(spec.GetIQVFileSpecMarshalSize(size));
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(spec.GetPersistentDataSize(), 6u);

    const struct {
        unsigned int bufferSize;
        unsigned int persistentResult;
        bool marshalResult;
    } rows[] = {{5, 0, false}, {6, 6, true}, {7, 6, true}, {0, 0, false}};
    for (const auto& row : rows) {
        char persistent[8];
        char marshalled[8];
        std::memset(persistent, '#', sizeof persistent);
        std::memset(marshalled, '#', sizeof marshalled);
        EXPECT_EQ(spec.GetPersistentData(persistent, row.bufferSize), row.persistentResult)
            << row.bufferSize;
        EXPECT_EQ(spec.GetMarshalledIQVFileSpec(marshalled, row.bufferSize), row.marshalResult)
            << row.bufferSize;
        const std::string expected = row.marshalResult ? "D:\\x\\y##" : "########";
        EXPECT_EQ(std::string(persistent, 8), expected) << row.bufferSize;
        EXPECT_EQ(std::string(marshalled, 8), expected) << row.bufferSize;
    }
    EXPECT_EQ(spec.GetPersistentData(nullptr, 8), 0u);
    EXPECT_FALSE(spec.GetMarshalledIQVFileSpec(nullptr, 8));

    AFileSpec target = At("C:\\unchanged");
    EXPECT_FALSE(target.SetPersistentData(nullptr, 4));
    EXPECT_FALSE(target.SetPersistentData("D:\\x", 0));
    EXPECT_FALSE(target.SetFromMarshalledIQVFileSpec(nullptr, 4));
    EXPECT_FALSE(target.SetFromMarshalledIQVFileSpec("D:\\x", 0));
    EXPECT_EQ(target.GetFullPath(), "C:\\unchanged");
    EXPECT_TRUE(target.SetPersistentData("D:\\x\\", 5));
    EXPECT_EQ(target.GetFullPath(), "D:\\x");
    EXPECT_TRUE(target.SetPersistentData("D:\\x\\\\", 6));
    EXPECT_EQ(target.GetFullPath(), "D:\\x\\");
    EXPECT_TRUE(target.SetFromMarshalledIQVFileSpec("D:\\x\\", 5));
    EXPECT_EQ(target.GetFullPath(), "D:\\x\\");
}

TEST(FileSpec, StripRemovesOneDelimiterOnly) {
    ProbingFileSpec spec("D:\\x\\\\");
    spec.StripEndingPathDelimiter();
    EXPECT_EQ(spec.GetFullPath(), "D:\\x\\");
    ProbingFileSpec root("D:\\");
    root.StripEndingPathDelimiter();
    EXPECT_EQ(root.GetFullPath(), "D:");
}

TEST(FileSpec, CopyFromNullLeavesAnEmptyPath) {
    WIN32AU_FileSpec spec;
    spec.Copy(nullptr);
    EXPECT_EQ(spec.GetFullPath(), "");
    EXPECT_FALSE(spec.IsEqual(nullptr));
}

class FileSpecOnDisk : public ScratchTest {};

TEST_F(FileSpecOnDisk, ProbesTellFilesFromDirectories) {
    MakeFile("f.txt");
    MakeDir("d");
    const struct {
        const char* relative;
        bool existing, file, directory;
        const char* directoryPath;
    } rows[] = {
        {"f.txt", true, true, false, ""},
        {"d", true, false, true, "d"},
        {"missing", false, false, false, "missing"},
    };
    for (const auto& row : rows) {
        const AFileSpec spec = Spec(row.relative);
        EXPECT_EQ(spec.IsExisting(), row.existing) << row.relative;
        EXPECT_EQ(spec.IsFile(), row.file) << row.relative;
        EXPECT_EQ(spec.IsDirectory(), row.directory) << row.relative;
        EXPECT_EQ(std::string(spec.GetDirectoryPath()), Path(row.directoryPath)) << row.relative;
    }
}

TEST_F(FileSpecOnDisk, OpenGivesAStreamOnThePath) {
    AFileSpec spec = Spec("written.txt");
    FILE* stream = spec.Open("wb");
    ASSERT_NE(stream, nullptr);
    std::fputs("text", stream);
    std::fclose(stream);
    EXPECT_EQ(Content("written.txt"), "text");
    EXPECT_EQ(Spec("missing\\x.txt").Open("rb"), nullptr);
    EXPECT_EQ(spec.Open(nullptr), nullptr);
}

TEST_F(FileSpecOnDisk, SetParentDirectoryMovesTheFileName) {
    AFileSpec file = At("C:\\old\\f.txt");
    file.SetParentDirectory(Spec("d"));
    EXPECT_EQ(std::string(file.GetFullPath()), Path("d\\f.txt"));
    file.SetParentDirectory(AFileSpec::GetInvalid());
    EXPECT_EQ(std::string(file.GetFullPath()), Path("d\\f.txt"));
}

TEST_F(FileSpecOnDisk, ProbeFileCreatedAndRemoved) {
    MakeFile("file");
    const struct {
        const char* relative;
        bool expected;
    } rows[] = {{"", true}, {"missing", false}, {"file", false}};
    for (const auto& row : rows) {
        ProbingFileSpec spec(Path(row.relative));
        EXPECT_EQ(spec.VerifyAccessToDirectory(), row.expected) << row.relative;
        EXPECT_EQ(Tree(), std::vector<std::string>{"file"}) << row.relative;
    }
}

TEST(FileSpecDirectories, WellKnownDirectoriesAreTheSystems) {
    char buffer[MAX_PATH];
    const std::string system(buffer, GetSystemDirectoryA(buffer, MAX_PATH));
    std::string temp(buffer, GetTempPathA(MAX_PATH, buffer));
    temp.pop_back();
    const std::string current(buffer, GetCurrentDirectoryA(MAX_PATH, buffer));

    const struct {
        const char* name;
        bool (AFileSpec::*set)();
        std::string expected;
    } rows[] = {
        {"system", &AFileSpec::SetToSystemDirectory, system},
        {"temporary", &AFileSpec::SetToTemporaryDirectory, temp},
        {"verified temporary", &AFileSpec::SetToVerifiedTemporaryDirectory, temp},
        {"current", &AFileSpec::SetToCurrentDirectory, current},
        {"application", &AFileSpec::SetToApplicationDirectory, ApplicationDirectory()},
    };
    for (const auto& row : rows) {
        AFileSpec spec = At("C:\\elsewhere");
        EXPECT_TRUE((spec.*row.set)()) << row.name;
        EXPECT_EQ(std::string(spec.GetFullPath()), row.expected) << row.name;
    }
}

TEST(FileSpecDirectories, PreferencesDirectoryIsCreatedBesideTheExecutable) {
    const std::string preferences = ApplicationDirectory() + "\\preferences";
    const bool existed = GetFileAttributesA(preferences.c_str()) != INVALID_FILE_ATTRIBUTES;
    AFileSpec spec = At("C:\\elsewhere");
    EXPECT_TRUE(spec.SetToPreferencesDirectory());
    EXPECT_EQ(std::string(spec.GetFullPath()), preferences);
    EXPECT_TRUE(spec.IsDirectory());
    if (!existed)
        RemoveDirectoryA(preferences.c_str());
}

// With the temporary directory gone, the verified one falls back to the Temp
// directory under the Windows directory; the plain setter fails unchanged.
TEST(FileSpecDirectories, VerifiedTemporaryFallsBackToWindowsTemp) {
    char saved[MAX_PATH];
    const DWORD savedLength = GetEnvironmentVariableA("TMP", saved, MAX_PATH);
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", "C:\\redudi-no-such-directory"));
    char windows[MAX_PATH];
    const std::string windowsTemp =
        std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH)) + "\\Temp";

    AFileSpec plain = At("C:\\unchanged");
    EXPECT_FALSE(plain.SetToTemporaryDirectory());
    EXPECT_EQ(plain.GetFullPath(), "C:\\unchanged");
    AFileSpec verified = At("C:\\unchanged");
    EXPECT_TRUE(verified.SetToVerifiedTemporaryDirectory());
    EXPECT_EQ(verified.GetFullPath().CompareNoCase(windowsTemp), 0) << verified.GetFullPath();

    SetEnvironmentVariableA("TMP", savedLength != 0 ? saved : nullptr);
}

} // namespace
} // namespace REDudi
