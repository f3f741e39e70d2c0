// The file specification on real paths under Wine: the parts cut out of a
// path, the byte forms, probing, the well-known directories and the
// writable-directory probe.
#include "scratch_directory.h"

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace REDudi {
namespace {

using testing_files::ApplicationDirectory;
using testing_files::At;
using testing_files::ScratchTest;

TEST(FileSpec, PartsAreCutOutOfThePath) {
    const struct {
        const char *path, *fileName, *drive;
        const char* parent; // "-" when there is none
        const char* url;
    } rows[] = {
        {"D:\\x\\f.tar.gz", "f.tar.gz", "D", "D:\\x", "file://D:%5cx%5cf.tar.gz"},
        {"D:", "", "D", "-", "file://D:"},
        {"D:\\x\\", "", "D", "D:", "file://D:%5cx%5c"},
        {"rel\\name", "name", "", "rel", "file://rel%5cname"},
        {"D:\\a b\\f:g", "f:g", "D", "D:\\a b", "file://D:%5ca%20b%5cf:g"},
        {"E:\\my-file_1,2/3", "my-file_1,2/3", "E", "E:", "file://E:%5cmy%2dfile%5f1,2/3"},
        {"D:\\\xe9", "\xe9", "D", "D:", "file://D:%5c%e9"},
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
}

TEST(FileSpec, ByteFormsAreThePathBytes) {
    const AFileSpec spec = At("D:\\x\\y");
    unsigned int size = 0;
    ASSERT_TRUE(spec.GetIQVFileSpecMarshalSize(size));
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(spec.GetPersistentDataSize(), 6u);
    for (unsigned int bufferSize : {0u, 5u, 6u, 7u}) {
        const bool fits = bufferSize >= 6;
        char persistent[8], marshalled[8];
        std::memset(persistent, '#', sizeof persistent);
        std::memset(marshalled, '#', sizeof marshalled);
        EXPECT_EQ(spec.GetPersistentData(persistent, bufferSize), fits ? 6u : 0u) << bufferSize;
        EXPECT_EQ(spec.GetMarshalledIQVFileSpec(marshalled, bufferSize), fits) << bufferSize;
        const std::string expected = fits ? "D:\\x\\y##" : "########";
        EXPECT_EQ(std::string(persistent, 8), expected) << bufferSize;
        EXPECT_EQ(std::string(marshalled, 8), expected) << bufferSize;
    }
    EXPECT_EQ(spec.GetPersistentData(nullptr, 8), 0u);
    EXPECT_FALSE(spec.GetMarshalledIQVFileSpec(nullptr, 8));

    AFileSpec target = At("C:\\unchanged");
    EXPECT_FALSE(target.SetPersistentData(nullptr, 4));
    EXPECT_FALSE(target.SetPersistentData("D:\\x", 0));
    EXPECT_FALSE(target.SetFromMarshalledIQVFileSpec(nullptr, 4));
    EXPECT_FALSE(target.SetFromMarshalledIQVFileSpec("D:\\x", 0));
    EXPECT_EQ(target.GetFullPath(), "C:\\unchanged");
    EXPECT_TRUE(target.SetPersistentData("D:\\x\\\\", 6)); // one delimiter stripped
    EXPECT_EQ(target.GetFullPath(), "D:\\x\\");
    EXPECT_TRUE(target.SetFromMarshalledIQVFileSpec("D:\\x\\", 5));
    EXPECT_EQ(target.GetFullPath(), "D:\\x\\");
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

TEST_F(FileSpecOnDisk, OpenAndSetParentDirectory) {
    AFileSpec spec = Spec("written.txt");
    FILE* stream = spec.Open("wb");
    ASSERT_NE(stream, nullptr);
    std::fputs("text", stream);
    std::fclose(stream);
    EXPECT_EQ(Content("written.txt"), "text");
    EXPECT_EQ(Spec("missing\\x.txt").Open("rb"), nullptr);
    EXPECT_EQ(spec.Open(nullptr), nullptr);

    AFileSpec file = At("C:\\old\\f.txt");
    file.SetParentDirectory(Spec("d"));
    EXPECT_EQ(std::string(file.GetFullPath()), Path("d\\f.txt"));
    file.SetParentDirectory(AFileSpec::GetInvalid());
    file.SetParentDirectory(AFileSpec(static_cast<FileSpec*>(nullptr))); // empty path
    EXPECT_EQ(std::string(file.GetFullPath()), Path("d\\f.txt"));
}

// Reaches the writable-directory probe of the Windows specification.
class ProbingFileSpec : public WIN32AU_FileSpec {
public:
    using WIN32AU_FileSpec::VerifyAccessToDirectory;
};

TEST_F(FileSpecOnDisk, ProbeFileCreatedAndRemoved) {
    MakeFile("file");
    for (const auto& row : {std::make_pair("", true), {"missing", false}, {"file", false}}) {
        ProbingFileSpec spec;
        spec.Copy(Spec(row.first).GetFileSpec());
        EXPECT_EQ(spec.VerifyAccessToDirectory(), row.second) << row.first;
        EXPECT_EQ(Tree(), "file") << row.first;
    }
}

TEST(FileSpecDirectories, WellKnownDirectoriesAreTheSystems) {
    char buffer[MAX_PATH];
    const std::string system(buffer, GetSystemDirectoryA(buffer, MAX_PATH));
    std::string temp(buffer, GetTempPathA(MAX_PATH, buffer));
    temp.pop_back();
    const std::string current(buffer, GetCurrentDirectoryA(MAX_PATH, buffer));
    const std::string preferences = ApplicationDirectory() + "\\preferences";
    const bool preferencesExisted =
        GetFileAttributesA(preferences.c_str()) != INVALID_FILE_ATTRIBUTES;

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
        {"preferences, created", &AFileSpec::SetToPreferencesDirectory, preferences},
    };
    for (const auto& row : rows) {
        AFileSpec spec = At("C:\\elsewhere");
        EXPECT_TRUE((spec.*row.set)()) << row.name;
        EXPECT_EQ(std::string(spec.GetFullPath()), row.expected) << row.name;
        EXPECT_TRUE(spec.IsDirectory()) << row.name;
    }
    if (!preferencesExisted)
        RemoveDirectoryA(preferences.c_str());
}

// With the temporary directory gone, the verified one falls back to the Temp
// directory under the Windows directory; the plain setter fails unchanged.
TEST(FileSpecDirectories, VerifiedTemporaryFallsBackToWindowsTemp) {
    char saved[MAX_PATH], windows[MAX_PATH];
    const DWORD savedLength = GetEnvironmentVariableA("TMP", saved, MAX_PATH);
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", "C:\\redudi-no-such-directory"));
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
