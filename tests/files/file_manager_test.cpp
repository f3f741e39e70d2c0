// The file manager on scratch trees: results, what is left and what is never touched.
#include "scratch_directory.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace REDudi {
namespace {

// One operation of the manager from a source to a destination.
using Op = bool (*)(FileManager&, const AFileSpec& source, const AFileSpec& destination, bool);
#define REDUDI_OP(call)                                                                            \
    [](FileManager& m, const AFileSpec& s, const AFileSpec& d, bool o) { return m.call; }
const Op kCopyDir = REDUDI_OP(CopyDir(s, d, o, true, true));
const Op kCopyTreeOnly = REDUDI_OP(CopyDir(s, d, o, false, true));
const Op kCopyDirNoCreate = REDUDI_OP(CopyDir(s, d, o, true, false));
const Op kMoveDir = REDUDI_OP(MoveDir(s, d, o));
const Op kRenameDir = REDUDI_OP(RenameDir(s, d, o));
const Op kCopyFile = REDUDI_OP(CopyFileSpec(s, d, o, true));
const Op kCopyFileNoCreate = REDUDI_OP(CopyFileSpec(s, d, o, false));
const Op kMoveFile = REDUDI_OP(MoveFileSpec(s, d, o));
const Op kRenameFile = REDUDI_OP(RenameFileSpec(s, d, o));
const Op kCreate = REDUDI_OP(CreateFileSpec(d, o));
const Op kDelete = REDUDI_OP(DeleteFileSpec(d));
// Into the destination's directory, so that a row names the file two copies write.
const Op kCopyFlat = REDUDI_OP(CopyFiles(d.GetParentDirectory(), s, o, true, false));
const Op kCopyKeep = REDUDI_OP(CopyFiles(d.GetParentDirectory(), s, o, true, true));
const Op kCopyTop = REDUDI_OP(CopyFiles(d.GetParentDirectory(), s, o, false, true));
#undef REDUDI_OP

class FileManagerTest : public testing_files::ScratchTest {
protected:
    std::unique_ptr<FileManager> manager_{FileManager::GetNewFileManager()};
};

TEST_F(FileManagerTest, CreateDirCreatesEveryMissingLevel) {
    EXPECT_TRUE(manager_->CreateDir(Spec("one\\two\\three")));
    EXPECT_TRUE(manager_->DirExists(Spec("one\\two\\three")));
    EXPECT_TRUE(manager_->CreateDir(Spec("one")));
    EXPECT_FALSE(manager_->CreateDir(AFileSpec::GetInvalid()));
    char drive = 'Q';
    while (drive < 'Z' && (GetLogicalDrives() & (1u << (drive - 'A'))) != 0)
        ++drive;
    EXPECT_FALSE(manager_->CreateDir(testing_files::At(std::string(1, drive) + ":\\x\\y")));
    // The ANSI file functions stop at MAX_PATH: a path past it fails cleanly.
    for (const auto& row : {std::make_pair(240, true), {261, false}}) {
        const std::string name(row.first - root_.size() - 1, 'n');
        EXPECT_EQ(manager_->CreateDir(Spec(name)), row.second) << row.first;
        EXPECT_EQ(manager_->DirExists(Spec(name)), row.second) << row.first;
    }
}

// Each row names what the operation added ("+") and removed ("-").
TEST_F(FileManagerTest, CopiesMovesAndRenamesChangeOnlyTheirTarget) {
    const std::string copied = "+b\\a\\ +b\\a\\f.txt +b\\a\\s\\ +b\\a\\s\\g.txt +b\\a\\s\\t\\";
    const std::string removed = "-a\\ -a\\f.txt -a\\s\\ -a\\s\\g.txt -a\\s\\t\\";
    const struct {
        Op op;
        const char* source;
        bool overwrite;
        const char* destination;
        bool result;
        std::string changes;
        const char* content; // of the destination afterwards, if it is a file
    } rows[] = {
        {kCopyDir, "a", true, "b", true, copied, nullptr},
        {kCopyTreeOnly, "a", true, "b", true, "+b\\a\\ +b\\a\\s\\ +b\\a\\s\\t\\", nullptr},
        {kCopyDirNoCreate, "a", true, "missing", true, "", nullptr},
        {kMoveDir, "a", true, "b", true, copied + " " + removed, nullptr},
        {kRenameDir, "a", true, "b", true, "+b\\f.txt +b\\s\\ +b\\s\\g.txt +b\\s\\t\\ " + removed,
         nullptr},
        // A sibling whose name begins with the source's is not inside it.
        {kCopyTreeOnly, "a", true, "abc", true, "+abc\\ +abc\\a\\ +abc\\a\\s\\ +abc\\a\\s\\t\\",
         nullptr},
        // Never into itself, whatever the spelling, existing or not.
        {kCopyDir, "a", true, "a\\s", false, "", nullptr},
        {kCopyDir, "a", true, "A", false, "", nullptr},
        {kMoveDir, "a", true, "a\\new", false, "", nullptr},
        {kMoveDir, "a", true, "A\\S\\T", false, "", nullptr},
        {kRenameDir, "a", true, "a\\s", false, "", nullptr},
        {kRenameDir, "a", true, "a", false, "", nullptr},
        {kRenameDir, "a", true, "a\\s\\..", false, "", nullptr},
        {kCopyFile, "src.txt", false, "old.txt", true, "", "old"},
        {kCopyFile, "src.txt", true, "old.txt", true, "", "new"},
        {kCopyFileNoCreate, "src.txt", false, "n\\m\\c.txt", true, "", nullptr},
        {kCopyFile, "src.txt", false, "n\\m\\c.txt", true, "+n\\ +n\\m\\ +n\\m\\c.txt", "new"},
        {kCopyFile, "src.txt", true, "d", false, "", nullptr},
        {kCopyFile, "src.txt", true, "SRC.txt", false, "", "new"},
        {kMoveFile, "src.txt", false, "old.txt", true, "", "old"},
        {kMoveFile, "src.txt", true, "old.txt", true, "-src.txt", "new"},
        {kRenameFile, "src.txt", false, "d\\e\\r.txt", true, "+d\\e\\ +d\\e\\r.txt -src.txt",
         "new"},
        {kMoveFile, "src.txt", true, "d", false, "", nullptr},
        {kCreate, "", false, "old.txt", true, "", "old"},
        {kCreate, "", true, "old.txt", true, "", ""},
        {kCreate, "", false, "n\\c.txt", false, "", nullptr},
        {kDelete, "", false, "d", false, "", nullptr},
        {kDelete, "", false, "old.txt", true, "-old.txt", nullptr},
        {kCopyFlat, "src\\*", false, "out\\n.txt", true, "+out\\n.txt +out\\o.txt", "sub"},
        {kCopyFlat, "src\\*", true, "out\\n.txt", true, "+out\\n.txt +out\\o.txt", "top"},
        {kCopyKeep, "src\\*", false, "out\\n.txt", true,
         "+out\\n.txt +out\\s\\ +out\\s\\n.txt +out\\s\\o.txt", "top"},
        {kCopyTop, "src\\*", false, "out\\n.txt", true, "+out\\n.txt", "top"},
        {kCopyTop, "src\\s\\o.txt", false, "out\\n.txt", true, "+out\\o.txt", nullptr},
        {kCopyKeep, "src", false, "out\\n.txt", false, "", nullptr},
        {kCopyKeep, "src\\*", false, "src\\s\\out\\n.txt", false, "", nullptr}};
    for (const auto& row : rows) {
        Build({"a\\f.txt", "a\\s\\g.txt", "a\\s\\t\\", "b\\", "d\\", "src.txt=new", "old.txt=old",
               "src\\n.txt=top", "src\\s\\n.txt=sub", "src\\s\\o.txt", "out\\"});
        const std::set<std::string> before = Entries();
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        EXPECT_EQ(row.op(*manager_, Spec(row.source), Spec(row.destination), row.overwrite),
                  row.result);
        EXPECT_EQ(Changes(before), row.changes);
        if (row.content != nullptr) {
            EXPECT_EQ(Content(row.destination), row.content);
        }
    }
    EXPECT_FALSE(manager_->MoveDir(Spec("a"), AFileSpec::GetInvalid(), false));
}

// A failing step ends a directory copy, move or delete with what is done so far.
TEST_F(FileManagerTest, ReadOnlyFilesAreNeitherDeletedNorOverwritten) {
    Build({"src\\a.txt", "src\\b.txt=b", "out\\src\\b.txt=locked", "e\\"});
    SetFileAttributesA(Path("out\\src\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(manager_->DeleteFileSpec(Spec("out\\src\\b.txt")));
    EXPECT_FALSE(manager_->CopyFileSpec(Spec("src\\b.txt"), Spec("out\\src\\b.txt"), true, true));
    EXPECT_FALSE(manager_->MoveFileSpec(Spec("src\\b.txt"), Spec("out\\src\\b.txt"), true));
    EXPECT_FALSE(manager_->DeleteAllFiles(Spec("out\\src"), false));
    EXPECT_FALSE(manager_->CopyDir(Spec("src"), Spec("out"), true, true, true));
    EXPECT_FALSE(manager_->MoveDir(Spec("src"), Spec("out"), true));
    EXPECT_FALSE(manager_->DeleteDir(Spec("out"), true));
    EXPECT_TRUE(manager_->DeleteDir(Spec("src"), false)); // not empty: left, yet true
    EXPECT_TRUE(manager_->DeleteDir(Spec("e"), false));
    EXPECT_FALSE(manager_->DeleteDir(Spec("e"), true));
    EXPECT_EQ(Content("out\\src\\b.txt"), "locked");
    EXPECT_EQ(Tree(), "out\\ out\\src\\ out\\src\\b.txt src\\ src\\a.txt src\\b.txt");
    EXPECT_TRUE(manager_->CopyDir(Spec("src"), Spec("out"), false, true, true));
    EXPECT_EQ(Tree("out"), "src\\ src\\a.txt src\\b.txt");
    EXPECT_EQ(Content("out\\src\\b.txt"), "locked");
}

class ContainmentProbe : public WIN32_FileManager {
public:
    using WIN32_FileManager::IsParent;
};

class ListingTest : public FileManagerTest {
protected:
    void SetUp() override {
        FileManagerTest::SetUp();
        Build({"x\\a.txt", "x\\b.log", "x\\d.txt\\c.txt", "x\\d.txt\\e.log", "x\\plain\\f.txt",
               "x\\plain\\deep\\g.txt"});
    }
    // The paths listed after a first entry that must stay, in listing order.
    std::vector<std::string> Listed(bool files, const char* spec, bool recursive) {
        std::list<AFileSpec> listing(1, Spec("kept"));
        EXPECT_TRUE(files ? manager_->GetFileListing(listing, Spec(spec), recursive)
                          : manager_->GetDirListing(listing, Spec(spec), recursive));
        EXPECT_EQ(std::string(listing.front().GetFullPath()), Path("kept"));
        std::vector<std::string> paths;
        for (auto entry = std::next(listing.begin()); entry != listing.end(); ++entry)
            paths.push_back(std::string(entry->GetFullPath()).substr(root_.size() + 1));
        return paths;
    }
    std::string Sorted(const std::vector<std::string>& paths) {
        return testing_files::Joined({paths.begin(), paths.end()});
    }
};

TEST_F(ListingTest, ListingsMatchPatternsAndAppend) {
    const struct {
        bool files;
        const char* spec;
        bool recursive;
        const char* expected;
    } rows[] = {
        {true, "x", false, "x\\a.txt x\\b.log"},
        {true, "x", true,
         "x\\a.txt x\\b.log x\\d.txt\\c.txt x\\d.txt\\e.log x\\plain\\deep\\g.txt x\\plain\\f.txt"},
        {true, "x\\*.txt", false, "x\\a.txt"},
        {true, "x\\*.txt", true, "x\\a.txt x\\d.txt\\c.txt"},
        {true, "x\\b.log", false, "x\\b.log"},
        {true, "y\\*", true, ""},
        {false, "x", false, "x\\d.txt x\\plain"},
        {false, "x", true, "x\\d.txt x\\plain x\\plain\\deep"}};
    for (const auto& row : rows)
        EXPECT_EQ(Sorted(Listed(row.files, row.spec, row.recursive)), row.expected) << row.spec;
    std::list<AFileSpec> listing;
    EXPECT_FALSE(manager_->GetFileListing(listing, AFileSpec::GetInvalid(), true));
    // Directories come before their content.
    const std::vector<std::string> listed = Listed(false, "x", true);
    const auto deep = std::find(listed.begin(), listed.end(), "x\\plain\\deep");
    EXPECT_EQ(deep - std::find(listed.begin(), listed.end(), "x\\plain"), 1);
    // A name the ANSI code page cannot hold comes back with "?": it is left out.
    const std::wstring wide = std::wstring(root_.begin(), root_.end()) + L"\\x\\\u4e2d.txt";
    CloseHandle(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_NE(Tree("x").find("?.txt"), std::string::npos);
    EXPECT_EQ(Sorted(Listed(true, "x", false)), "x\\a.txt x\\b.log");
    DeleteFileW(wide.c_str());
}

// c.txt and g.txt lie apart: a search that went on after a match would lose it.
TEST_F(ListingTest, FindParentAndDeleteSearchSubdirectories) {
    const struct {
        const char* pattern;
        bool recursive, result, found;
    } rows[] = {{"x\\*.txt", false, true, true},  {"x\\g.txt", false, true, false},
                {"x\\g.txt", true, true, true},   {"x\\c.txt", true, true, true},
                {"x\\*.none", true, true, false}, {"x\\plain", true, false, false},
                {"y\\*.txt", true, false, false}};
    for (const auto& row : rows) {
        bool found = !row.found;
        EXPECT_EQ(manager_->FindMatchingFile(found, Spec(row.pattern), row.recursive), row.result)
            << row.pattern;
        EXPECT_EQ(found, row.result ? row.found : !row.found) << row.pattern;
    }
    // Only existing directories spelt as listed; the copies refuse more by themselves.
    const struct {
        const char *ancestor, *candidate;
        bool isParent;
    } parents[] = {
        {"x", "x\\plain\\deep", true}, {"x", "x\\plain", true},        {"x", "x", false},
        {"x", "X\\PLAIN", false},      {"x", "x\\plain\\none", false}, {"x\\plain", "x", false},
        {"missing", "x", false}};
    for (const auto& row : parents) {
        bool isParent = !row.isParent;
        EXPECT_TRUE(ContainmentProbe().IsParent(isParent, Spec(row.ancestor), Spec(row.candidate)));
        EXPECT_EQ(isParent, row.isParent) << row.ancestor << " " << row.candidate;
    }
    EXPECT_FALSE(manager_->DeleteFiles(Spec("x"), true));
    EXPECT_FALSE(manager_->DeleteFiles(Spec("y\\*.txt"), true));
    EXPECT_TRUE(manager_->DeleteFiles(Spec("x\\*.txt"), true));
    EXPECT_EQ(Tree("x"), "b.log d.txt\\ d.txt\\e.log plain\\ plain\\deep\\");
    EXPECT_TRUE(manager_->DeleteAllFiles(Spec("x"), false));
    EXPECT_EQ(Tree("x"), "d.txt\\ d.txt\\e.log plain\\ plain\\deep\\");
}

} // namespace
} // namespace REDudi
