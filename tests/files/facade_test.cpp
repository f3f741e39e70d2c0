// The file specification facades: invalid facades, value semantics, relative
// construction and the wide facade's conversions; and the simple path.
#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

namespace REDudi {
namespace {

std::string ApplicationDirectory() {
    char module[MAX_PATH];
    std::string directory(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
    return directory.substr(0, directory.rfind('\\'));
}

AFileSpec At(const std::string& path) {
    AFileSpec spec;
    spec.SetFromMarshalledIQVFileSpec(path.data(), static_cast<unsigned int>(path.size()));
    return spec;
}

UString Wide(const char* text) {
    UString wide;
    for (; *text != '\0'; ++text)
        wide += static_cast<unsigned short>(static_cast<unsigned char>(*text));
    return wide;
}

TEST(AFileSpecFacade, InvalidFacadeGivesNeutralResults) {
    const struct {
        const char* name;
        std::function<bool(AFileSpec&)> neutral;
    } rows[] = {
        {"IsExisting", [](AFileSpec& s) { return !s.IsExisting(); }},
        {"IsDirectory", [](AFileSpec& s) { return !s.IsDirectory(); }},
        {"GetFullPath", [](AFileSpec& s) { return s.GetFullPath().empty(); }},
        {"GetURL", [](AFileSpec& s) { return s.GetURL().empty(); }},
        {"GetDirectoryPath", [](AFileSpec& s) { return s.GetDirectoryPath().empty(); }},
        {"GetPersistentDataSize", [](AFileSpec& s) { return s.GetPersistentDataSize() == 0; }},
        {"SetPersistentData", [](AFileSpec& s) { return !s.SetPersistentData("C:\\x", 4); }},
        {"SetFromMarshalled",
         [](AFileSpec& s) { return !s.SetFromMarshalledIQVFileSpec("C:\\x", 4); }},
        {"GetMarshalSize",
         [](AFileSpec& s) {
             unsigned int size = 7;
             return !s.GetIQVFileSpecMarshalSize(size) && size == 7;
         }},
        {"Open", [](AFileSpec& s) { return s.Open("rb") == nullptr; }},
        {"SetToSystemDirectory", [](AFileSpec& s) { return !s.SetToSystemDirectory(); }},
        {"SetToApplicationDirectory", [](AFileSpec& s) { return !s.SetToApplicationDirectory(); }},
        {"GetParentDirectory",
         [](AFileSpec& s) { return !s.GetParentDirectory().IsObjectValid(); }},
        {"appending leaves it invalid",
         [](AFileSpec& s) {
             s += "x";
             return !s.IsObjectValid();
         }},
        {"copy is invalid", [](AFileSpec& s) { return !AFileSpec(s).IsObjectValid(); }},
        {"== is false", [](AFileSpec& s) { return !(s == AFileSpec::GetInvalid()); }},
        {"!= is true", [](AFileSpec& s) { return s != AFileSpec::GetInvalid(); }},
        {"wide copy is invalid", [](AFileSpec& s) { return !AFileSpecUnicode(s).IsObjectValid(); }},
    };
    for (const auto& row : rows) {
        AFileSpec invalid = AFileSpec::GetInvalid();
        EXPECT_FALSE(invalid.IsObjectValid()) << row.name;
        EXPECT_TRUE(row.neutral(invalid)) << row.name;
    }
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
        {"relative text", [] { return AFileSpec(PString("sub\\file.txt")); },
         application + "\\sub\\file.txt"},
        {"null FileSpec", [] { return AFileSpec(static_cast<FileSpec*>(nullptr)); }, ""},
        {"assigned text restarts",
         [] {
             AFileSpec spec = At("C:\\elsewhere");
             spec = PString("a");
             return spec;
         },
         application + "\\a"},
        {"appended text",
         [] {
             AFileSpec spec = At("C:\\elsewhere");
             spec += "a";
             return spec;
         },
         "C:\\elsewhere\\a"},
        {"assigned FileSpec",
         [] {
             AFileSpec spec;
             spec = At("C:\\from").GetFileSpec();
             return spec;
         },
         "C:\\from"},
        {"invalid made valid by text",
         [] {
             AFileSpec spec = AFileSpec::GetInvalid();
             spec = PString("b");
             return spec;
         },
         application + "\\b"},
    };
    for (const auto& row : rows) {
        const AFileSpec spec = row.make();
        EXPECT_TRUE(spec.IsObjectValid()) << row.name;
        EXPECT_EQ(std::string(spec.GetFullPath()), row.expected) << row.name;
    }
}

TEST(AFileSpecFacade, CopiesAreIndependent) {
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
TEST(SimplePathFacade, AttributesAreASnapshot) {
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
}

TEST(SimplePathFacade, ComparisonIsCaseSensitive) {
    ASimplePath upper(PString("A"));
    ASimplePath lower(PString("a"));
    EXPECT_FALSE(upper == lower);
    EXPECT_TRUE(upper != lower);
    lower = upper;
    EXPECT_TRUE(upper == lower);
}

TEST(SimplePathFacade, CopyOfAnInvalidPathIsAnEmptyValidPath) {
    ASimplePath target;
    target = static_cast<SimplePath*>(nullptr);
    EXPECT_TRUE(target.IsObjectValid());
    EXPECT_EQ(target.GetFullPath(), "");
    EXPECT_FALSE(target.IsExisting());
}

} // namespace
} // namespace REDudi
