// The file specification, its facades and the simple path on real paths
// under Wine: parts of a path, byte forms, probing, well-known directories,
// invalid facades, value semantics and the wide facade's conversions.
#include "scratch_directory.h"

#include <cstring>

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
    } rows[] = {{"D:\\x\\f.tar.gz", "f.tar.gz", "D", "D:\\x", "file://D:%5cx%5cf.tar.gz"},
                {"D:", "", "D", "-", "file://D:"},
                {"D:\\x\\", "", "D", "D:", "file://D:%5cx%5c"},
                {"rel\\name", "name", "", "rel", "file://rel%5cname"},
                {"D:\\a b\\f:g", "f:g", "D", "D:\\a b", "file://D:%5ca%20b%5cf:g"},
                {"E:\\my-file_1,2/3", "my-file_1,2/3", "E", "E:", "file://E:%5cmy%2dfile%5f1,2/3"},
                {"D:\\\xe9", "\xe9", "D", "D:", "file://D:%5c%e9"}};
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
    } rows[] = {{"f.txt", true, true, false, ""},
                {"d", true, false, true, "d"},
                {"missing", false, false, false, "missing"}};
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

// Reaches the writable-directory probe of WIN32AU_FileSpec.
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
    } rows[] = {{"system", &AFileSpec::SetToSystemDirectory, system},
                {"temporary", &AFileSpec::SetToTemporaryDirectory, temp},
                {"verified temporary", &AFileSpec::SetToVerifiedTemporaryDirectory, temp},
                {"current", &AFileSpec::SetToCurrentDirectory, current},
                {"application", &AFileSpec::SetToApplicationDirectory, ApplicationDirectory()},
                {"preferences, created", &AFileSpec::SetToPreferencesDirectory, preferences}};
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

UString Wide(const char* text) {
    UString wide;
    for (; *text != '\0'; ++text)
        wide += static_cast<unsigned short>(static_cast<unsigned char>(*text));
    return wide;
}

TEST(AFileSpecFacade, InvalidFacadeGivesNeutralResults) {
    AFileSpec invalid = AFileSpec::GetInvalid();
    unsigned int size = 7;
    const struct {
        const char* name;
        bool neutral;
    } rows[] = {{"IsExisting", !invalid.IsExisting()},
                {"IsDirectory", !invalid.IsDirectory()},
                {"GetFullPath", invalid.GetFullPath().empty()},
                {"GetURL", invalid.GetURL().empty()},
                {"GetPersistentDataSize", invalid.GetPersistentDataSize() == 0},
                {"SetPersistentData", !invalid.SetPersistentData("C:\\x", 4)},
                {"SetFromMarshalled", !invalid.SetFromMarshalledIQVFileSpec("C:\\x", 4)},
                {"GetMarshalSize", !invalid.GetIQVFileSpecMarshalSize(size) && size == 7},
                {"Open", invalid.Open("rb") == nullptr},
                {"SetToSystemDirectory", !invalid.SetToSystemDirectory()},
                {"GetParentDirectory", !invalid.GetParentDirectory().IsObjectValid()},
                {"appending", (invalid += "x", !invalid.IsObjectValid())},
                {"copy", !AFileSpec(invalid).IsObjectValid()},
                {"==", !(invalid == AFileSpec::GetInvalid())},
                {"!=", invalid != AFileSpec::GetInvalid()},
                {"wide copy", !AFileSpecUnicode(invalid).IsObjectValid()}};
    for (const auto& row : rows)
        EXPECT_TRUE(row.neutral) << row.name;
}

// "invalid" for an invalid facade.
std::string PathOf(const AFileSpec& spec) {
    return spec.IsObjectValid() ? std::string(spec.GetFullPath()) : "invalid";
}

TEST(AFileSpecFacade, ConstructionAndAssignmentStartWhereTheyShould) {
    const std::string application = ApplicationDirectory();
    EXPECT_EQ(PathOf(AFileSpec()), application);
    EXPECT_EQ(PathOf(AFileSpec(PString(""))), application);
    EXPECT_EQ(PathOf(AFileSpec(PString("sub\\f"))), application + "\\sub\\f");
    EXPECT_EQ(PathOf(AFileSpec(static_cast<FileSpec*>(nullptr))), "");
    EXPECT_EQ(PathOf(AFileSpec(At("C:\\x")) = PString("a")), application + "\\a");
    EXPECT_EQ(PathOf(AFileSpec::GetInvalid() = PString("b")), application + "\\b");
    EXPECT_EQ(PathOf(AFileSpec(At("C:\\x")) += "a"), "C:\\x\\a");
    EXPECT_EQ(PathOf(AFileSpec() = At("C:\\from").GetFileSpec()), "C:\\from");
}

TEST(AFileSpecFacade, CopiesAreIndependentAndComparedExactly) {
    AFileSpec original = At("C:\\x");
    AFileSpec copied(original);
    AFileSpec assigned;
    assigned = original;
    EXPECT_NE(copied.GetFileSpec(), original.GetFileSpec());
    original += "changed";
    copied += "other";
    EXPECT_EQ(original.GetFullPath(), "C:\\x\\changed");
    EXPECT_EQ(copied.GetFullPath(), "C:\\x\\other");
    EXPECT_EQ(assigned.GetFullPath(), "C:\\x");
    FileSpec* own = assigned.GetFileSpec();
    assigned = assigned;
    assigned = own;
    EXPECT_EQ(assigned.GetFileSpec(), own);

    EXPECT_TRUE(At("D:\\A") == At("D:\\A"));
    EXPECT_FALSE(At("D:\\A") == At("d:\\a"));
    EXPECT_TRUE(At("D:\\A") != At("D:\\A\\"));
}

TEST(AFileSpecFacade, WideFacadeConvertsAtItsBoundary) {
    AFileSpecUnicode spec(AFileSpec(At("C:\\x")));
    spec = Wide("a");
    spec += Wide("b");
    EXPECT_EQ(spec.GetAFileSpec().GetFullPath(), "C:\\x\\a\\b");
    EXPECT_EQ(spec.GetFullPathUnicode(), Wide("C:\\x\\a\\b"));
    EXPECT_EQ(spec.GetFileNameUnicode(), Wide("b"));
    EXPECT_EQ(spec.GetDriveNameUnicode(), Wide("C"));
    EXPECT_EQ(spec.GetParentDirectoryUnicode().GetFullPathUnicode(), Wide("C:\\x\\a"));
    EXPECT_TRUE(spec == AFileSpecUnicode(spec));
    EXPECT_FALSE(spec != AFileSpecUnicode(spec));
    EXPECT_TRUE(spec != spec.GetParentDirectoryUnicode());

    UString unconvertible = Wide("z");
    unconvertible += static_cast<unsigned short>(0x4E2D);
    EXPECT_FALSE(AFileSpecUnicode(unconvertible).IsObjectValid());
    spec += unconvertible;
    EXPECT_FALSE(spec.IsObjectValid());
    EXPECT_TRUE(spec.GetFullPathUnicode().empty());
    EXPECT_FALSE(spec.SetToSystemDirectory());
    EXPECT_FALSE(static_cast<AFileSpec>(spec).IsObjectValid());
}

TEST(SimplePathFacade, RelativePathsAreConformedNotResolved) {
    const struct {
        const char* relative;
        bool result;
        const char* expected; // under the application directory
    } rows[] = {{"\\a\\b\\", true, "\\a\\b"},  {"a/b", true, "\\a\\b"}, {"..\\y", true, "\\..\\y"},
                {"/a", true, "\\/a"},          {"\\\\\\", false, ""},   {"", false, ""},
                {"lib.dll", true, "\\lib.dll"}};
    const std::string application = ApplicationDirectory();
    for (const auto& row : rows) {
        ASimplePath path;
        EXPECT_EQ(path.SetRelativePath(row.relative), row.result) << row.relative;
        EXPECT_EQ(std::string(path.GetFullPath()), application + row.expected) << row.relative;
    }
    EXPECT_EQ(ASimplePath(PString("x\\lib.dll")).GetFileName(), "lib.dll");
}

// A file beside the executable, where a simple path starts.
TEST(SimplePathFacade, AttributesAreASnapshotAndComparisonIsExact) {
    const std::string name = "redudi_simple_path_" + std::to_string(GetCurrentProcessId()) + ".dll";
    const std::string file = ApplicationDirectory() + "\\" + name;
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASimplePath path(PString(name.c_str()));
    EXPECT_TRUE(path.IsExisting());
    EXPECT_TRUE(path.IsFile());
    EXPECT_FALSE(path.IsDirectory());
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_TRUE(path.IsExisting());
    ASimplePath copy(path);
    EXPECT_FALSE(copy.IsExisting());
    EXPECT_TRUE(copy == path);
    EXPECT_TRUE(ASimplePath().IsDirectory());

    ASimplePath upper(PString("A")), lower(PString("a"));
    EXPECT_FALSE(upper == lower);
    EXPECT_TRUE(upper != lower);
    lower = static_cast<SimplePath*>(nullptr); // an empty valid path
    EXPECT_TRUE(lower.IsObjectValid());
    EXPECT_EQ(lower.GetFullPath(), "");
    EXPECT_FALSE(lower.IsExisting());
}

} // namespace
} // namespace REDudi
