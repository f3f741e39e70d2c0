// The file specification facades: invalid facades, value semantics, relative
// construction and the wide facade's conversions; and the simple path.
#include "scratch_directory.h"

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

namespace REDudi {
namespace {

using testing_files::ApplicationDirectory;
using testing_files::At;

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
    } rows[] = {
        {"IsExisting", !invalid.IsExisting()},
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
        {"wide copy", !AFileSpecUnicode(invalid).IsObjectValid()},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(row.neutral) << row.name;
}

TEST(AFileSpecFacade, ConstructionAndAssignmentStartWhereTheyShould) {
    const std::string application = ApplicationDirectory();
    const struct {
        const char* name;
        std::function<AFileSpec()> make;
        std::string expected;
    } rows[] = {
        {"default", [] { return AFileSpec(); }, application},
        {"empty text", [] { return AFileSpec(PString("")); }, application},
        {"relative text", [] { return AFileSpec(PString("sub\\f")); }, application + "\\sub\\f"},
        {"null FileSpec", [] { return AFileSpec(static_cast<FileSpec*>(nullptr)); }, ""},
        {"text restarts", [] { return AFileSpec(At("C:\\x")) = PString("a"); },
         application + "\\a"},
        {"invalid made valid", [] { return AFileSpec::GetInvalid() = PString("b"); },
         application + "\\b"},
        {"appended text", [] { return AFileSpec(At("C:\\x")) += "a"; }, "C:\\x\\a"},
        {"FileSpec", [] { return AFileSpec() = At("C:\\from").GetFileSpec(); }, "C:\\from"},
    };
    for (const auto& row : rows) {
        const AFileSpec spec = row.make();
        EXPECT_TRUE(spec.IsObjectValid()) << row.name;
        EXPECT_EQ(std::string(spec.GetFullPath()), row.expected) << row.name;
    }
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
    } rows[] = {
        {"\\a\\b\\", true, "\\a\\b"},   {"a/b", true, "\\a\\b"}, {"..\\y", true, "\\..\\y"},
        {"/a", true, "\\/a"},           {"\\\\\\", false, ""},   {"", false, ""},
        {"lib.dll", true, "\\lib.dll"},
    };
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
