// FileSpec, its facades and the simple path on real paths under Wine.
#include "scratch_directory.h"

namespace REDudi {
namespace {

using testing_files::ApplicationDirectory;
using testing_files::At;

// Each row: a path, then its file name|drive|volume|parent ("-": none)|URL.
TEST(FileSpec, PartsAreCutOutOfThePath) {
    const char* rows[][2] = {
        {"D:\\x\\f.tar.gz", "f.tar.gz|D|D|D:\\x|file://D:%5cx%5cf.tar.gz"},
        {"D:", "|D|D|-|file://D:"},
        {"D:\\x\\", "|D|D|D:|file://D:%5cx%5c"},
        {"rel\\name", "name|||rel|file://rel%5cname"},
        {"D:\\a b\\f:g", "f:g|D|D|D:\\a b|file://D:%5ca%20b%5cf:g"},
        {"E:\\my-file_1,2/3", "my-file_1,2/3|E|E|E:|file://E:%5cmy%2dfile%5f1,2/3"},
        {"D:\\\xe9", "\xe9|D|D|D:|file://D:%5c%e9"}};
    for (const auto& row : rows) {
        const AFileSpec spec = At(row[0]), parent = spec.GetParentDirectory();
        EXPECT_EQ(spec.GetFileName() + "|" + spec.GetDriveName() + "|" + spec.GetVolumeName() +
                      "|" + (parent.IsObjectValid() ? parent.GetFullPath() : PString("-")) + "|" +
                      spec.GetURL(),
                  row[1]);
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
        char persistent[9] = "########", marshalled[9] = "########";
        EXPECT_EQ(spec.GetPersistentData(persistent, bufferSize), fits ? 6u : 0u) << bufferSize;
        EXPECT_EQ(spec.GetMarshalledIQVFileSpec(marshalled, bufferSize), fits) << bufferSize;
        EXPECT_STREQ(persistent, fits ? "D:\\x\\y##" : "########") << bufferSize;
        EXPECT_STREQ(marshalled, persistent) << bufferSize;
    }
    EXPECT_EQ(spec.GetPersistentData(nullptr, 8), 0u);
    EXPECT_FALSE(spec.GetMarshalledIQVFileSpec(nullptr, 8));
    AFileSpec target = At("C:\\unchanged");
    EXPECT_FALSE(target.SetPersistentData(nullptr, 4) || target.SetPersistentData("D:\\x", 0) ||
                 target.SetFromMarshalledIQVFileSpec(nullptr, 4) ||
                 target.SetFromMarshalledIQVFileSpec("D:\\x", 0));
    EXPECT_EQ(target.GetFullPath(), "C:\\unchanged");
    EXPECT_TRUE(target.SetPersistentData("D:\\x\\\\", 6)); // one delimiter stripped
    EXPECT_EQ(target.GetFullPath(), "D:\\x\\");
}

// Reaches the writable-directory probe of WIN32AU_FileSpec.
class ProbingFileSpec : public WIN32AU_FileSpec {
public:
    using WIN32AU_FileSpec::VerifyAccessToDirectory;
};

class FileSpecOnDisk : public testing_files::ScratchTest {};

// The access probe answers for directories only and leaves no file behind.
TEST_F(FileSpecOnDisk, ProbesTellFilesFromDirectories) {
    Build({"f.txt", "d\\"});
    const char* rows[][3] = {{"f.txt", "existing file", ""},
                             {"d", "existing directory writable", "d"},
                             {"missing", "", "missing"}}; // facts, directory path
    for (const auto& row : rows) {
        const AFileSpec spec = Spec(row[0]);
        ProbingFileSpec probing;
        probing.Copy(spec.GetFileSpec());
        EXPECT_EQ(std::string(spec.IsExisting() ? "existing" : "") +
                      (spec.IsFile() ? " file" : "") + (spec.IsDirectory() ? " directory" : "") +
                      (probing.VerifyAccessToDirectory() ? " writable" : ""),
                  row[1]);
        EXPECT_EQ(std::string(spec.GetDirectoryPath()), Path(row[2])) << row[0];
        EXPECT_EQ(Tree(), "d\\ f.txt") << row[0];
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
    file.SetParentDirectory(AFileSpec::GetInvalid());
    file.SetParentDirectory(AFileSpec(static_cast<FileSpec*>(nullptr))); // empty path
    EXPECT_EQ(std::string(file.GetFullPath()), Path("d\\f.txt"));
}

TEST(FileSpecDirectories, WellKnownDirectoriesAreTheSystems) {
    char buffer[MAX_PATH];
    const std::string system(buffer, GetSystemDirectoryA(buffer, MAX_PATH));
    const std::string temp(buffer, GetTempPathA(MAX_PATH, buffer) - 1);
    const std::string current(buffer, GetCurrentDirectoryA(MAX_PATH, buffer));
    const std::string preferences = ApplicationDirectory() + "\\preferences";
    const struct {
        bool (AFileSpec::*set)();
        std::string expected;
    } rows[] = {{&AFileSpec::SetToSystemDirectory, system},
                {&AFileSpec::SetToTemporaryDirectory, temp},
                {&AFileSpec::SetToVerifiedTemporaryDirectory, temp},
                {&AFileSpec::SetToCurrentDirectory, current},
                {&AFileSpec::SetToApplicationDirectory, ApplicationDirectory()},
                {&AFileSpec::SetToPreferencesDirectory, preferences}}; // created
    for (const auto& row : rows) {
        AFileSpec spec = At("C:\\elsewhere");
        EXPECT_TRUE((spec.*row.set)()) << row.expected;
        EXPECT_EQ(std::string(spec.GetFullPath()), row.expected);
        EXPECT_TRUE(spec.IsDirectory()) << row.expected;
    }
    RemoveDirectoryA(preferences.c_str()); // left if it held anything
    // Without TMP the verified setter falls back to Windows\Temp; the plain one fails.
    const std::string windowsTemp =
        std::string(buffer, GetWindowsDirectoryA(buffer, MAX_PATH)) + "\\Temp";
    const DWORD savedLength = GetEnvironmentVariableA("TMP", buffer, MAX_PATH);
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", "C:\\redudi-no-such-directory"));
    AFileSpec plain = At("C:\\unchanged"), verified = plain;
    EXPECT_FALSE(plain.SetToTemporaryDirectory());
    EXPECT_EQ(plain.GetFullPath(), "C:\\unchanged");
    EXPECT_TRUE(verified.SetToVerifiedTemporaryDirectory());
    EXPECT_EQ(verified.GetFullPath().CompareNoCase(windowsTemp), 0) << verified.GetFullPath();
    SetEnvironmentVariableA("TMP", savedLength != 0 ? buffer : nullptr);
}

TEST(AFileSpecFacade, InvalidFacadeGivesNeutralResults) {
    AFileSpec invalid = AFileSpec::GetInvalid();
    unsigned int size = 7;
    const struct {
        const char* name;
        bool neutral;
    } rows[] = {{"IsExisting", !invalid.IsExisting()},
                {"GetFullPath", invalid.GetFullPath().empty()},
                {"GetPersistentDataSize", invalid.GetPersistentDataSize() == 0},
                {"SetPersistentData", !invalid.SetPersistentData("C:\\x", 4)},
                {"GetMarshalSize", !invalid.GetIQVFileSpecMarshalSize(size) && size == 7},
                {"Open", invalid.Open("rb") == nullptr},
                {"SetToSystemDirectory", !invalid.SetToSystemDirectory()},
                {"GetParentDirectory", !invalid.GetParentDirectory().IsObjectValid()},
                {"appending", (invalid += "x", !invalid.IsObjectValid())},
                {"copy", !AFileSpec(invalid).IsObjectValid()},
                {"==", !(invalid == AFileSpec::GetInvalid())},
                {"wide copy", !AFileSpecUnicode(invalid).IsObjectValid()}};
    for (const auto& row : rows)
        EXPECT_TRUE(row.neutral) << row.name;
}

// "invalid" for an invalid facade.
std::string PathOf(const AFileSpec& spec) {
    return spec.IsObjectValid() ? std::string(spec.GetFullPath()) : "invalid";
}

TEST(AFileSpecFacade, ConstructionAssignmentAndCopies) {
    const std::string application = ApplicationDirectory();
    EXPECT_EQ(PathOf(AFileSpec()), application);
    EXPECT_EQ(PathOf(AFileSpec(PString(""))), application);
    EXPECT_EQ(PathOf(AFileSpec(PString("sub\\f"))), application + "\\sub\\f");
    EXPECT_EQ(PathOf(AFileSpec(static_cast<FileSpec*>(nullptr))), "");
    EXPECT_EQ(PathOf(AFileSpec(At("C:\\x")) = PString("a")), application + "\\a");
    EXPECT_EQ(PathOf(AFileSpec::GetInvalid() = PString("b")), application + "\\b");
    EXPECT_EQ(PathOf(AFileSpec() = At("C:\\from").GetFileSpec()), "C:\\from");
    AFileSpec original = At("C:\\x"), copied(original), assigned;
    assigned = original;
    original += "changed";
    copied += "other";
    EXPECT_EQ(original.GetFullPath(), "C:\\x\\changed");
    EXPECT_EQ(copied.GetFullPath(), "C:\\x\\other");
    EXPECT_EQ(assigned.GetFullPath(), "C:\\x");
    FileSpec* own = assigned.GetFileSpec();
    assigned = own;
    EXPECT_EQ(assigned.GetFileSpec(), own);
    EXPECT_TRUE(At("D:\\A") == At("D:\\A"));
    EXPECT_FALSE(At("D:\\A") == At("d:\\a"));
    EXPECT_TRUE(At("D:\\A") != At("D:\\A\\"));
}

UString Wide(const std::string& ascii) {
    return UString(UnicodeStdString(ascii.begin(), ascii.end()));
}

TEST(AFileSpecFacade, WideFacadeConvertsAtItsBoundary) {
    AFileSpecUnicode spec(AFileSpec(At("C:\\x")));
    spec = Wide("a");
    spec += Wide("b");
    EXPECT_EQ(spec.GetAFileSpec().GetFullPath(), "C:\\x\\a\\b");
    EXPECT_EQ(spec.GetParentDirectoryUnicode().GetFullPathUnicode(), Wide("C:\\x\\a"));
    EXPECT_TRUE(spec != spec.GetParentDirectoryUnicode());
    UString unconvertible = Wide("z");
    unconvertible += static_cast<unsigned short>(0x4E2D);
    EXPECT_FALSE(AFileSpecUnicode(unconvertible).IsObjectValid());
    spec += unconvertible;
    EXPECT_TRUE(spec.GetFullPathUnicode().empty());
    EXPECT_FALSE(static_cast<AFileSpec>(spec).IsObjectValid());
}

// Relative paths are conformed, not resolved; attributes are a snapshot; == is exact.
TEST(SimplePathFacade, RelativePathsAttributesAndComparison) {
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
    const std::string name = "redudi_simple_path_" + std::to_string(GetCurrentProcessId()) + ".dll";
    const std::string file = application + "\\" + name;
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASimplePath path(PString(name.c_str()));
    EXPECT_TRUE(path.IsFile() && !path.IsDirectory());
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_TRUE(path.IsExisting());
    ASimplePath copy(path), lower(PString("a"));
    EXPECT_FALSE(copy.IsExisting());
    EXPECT_TRUE(copy == path);
    EXPECT_TRUE(ASimplePath().IsDirectory());
    EXPECT_TRUE(ASimplePath(PString("A")) != lower);
    lower = static_cast<SimplePath*>(nullptr); // an empty valid path
    EXPECT_TRUE(lower.IsObjectValid() && lower.GetFullPath().empty());
}

} // namespace
} // namespace REDudi
