// The file manager on directory trees built by each test in its own scratch
// directory: results of every failing step, what is left behind, and what is
// never touched. Trees are written as their sorted entries joined by spaces,
// directories ending with a backslash.
#include "scratch_directory.h"

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

namespace REDudi {
namespace {

using testing_files::RelativePaths;
using testing_files::ScratchTest;

enum Op {
    kCopyDir,
    kCopyTreeOnly,
    kCopyDirNoCreate,
    kMoveDir,
    kRenameDir,
    kCopyFile,
    kCopyFileNoCreate,
    kMoveFile,
    kRenameFile,
    kCreate,
    kCreateOver,
    kDelete
};

class FileManagerTest : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        manager_.reset(FileManager::GetNewFileManager());
        ASSERT_NE(manager_, nullptr);
    }

    bool Apply(Op op, const AFileSpec& s, const AFileSpec& d, bool overwrite) {
        FileManager& m = *manager_;
        switch (op) {
        case kCopyDir:
            return m.CopyDir(s, d, overwrite, true, true);
        case kCopyTreeOnly:
            return m.CopyDir(s, d, overwrite, false, true);
        case kCopyDirNoCreate:
            return m.CopyDir(s, d, overwrite, true, false);
        case kMoveDir:
            return m.MoveDir(s, d, overwrite);
        case kRenameDir:
            return m.RenameDir(s, d, overwrite);
        case kCopyFile:
            return m.CopyFileSpec(s, d, overwrite, true);
        case kCopyFileNoCreate:
            return m.CopyFileSpec(s, d, overwrite, false);
        case kMoveFile:
            return m.MoveFileSpec(s, d, overwrite);
        case kRenameFile:
            return m.RenameFileSpec(s, d, overwrite);
        case kCreate:
            return m.CreateFileSpec(d, false);
        case kCreateOver:
            return m.CreateFileSpec(d, true);
        case kDelete:
            return m.DeleteFileSpec(d);
        }
        return false;
    }

    std::string TreeText(const std::string& relative = "") const {
        std::string text;
        for (const std::string& entry : Tree(relative))
            text += (text.empty() ? "" : " ") + entry;
        return text;
    }

    std::unique_ptr<FileManager> manager_;
};

TEST_F(FileManagerTest, CreateDirCreatesEveryMissingLevel) {
    MakeDir("exists");
    EXPECT_TRUE(manager_->CreateDir(Spec("one\\two\\three")));
    EXPECT_TRUE(manager_->DirExists(Spec("one\\two\\three")));
    EXPECT_TRUE(manager_->CreateDir(Spec("exists")));
    EXPECT_FALSE(manager_->CreateDir(AFileSpec::GetInvalid()));

    char drive = 'Q';
    while (drive < 'Z' && (GetLogicalDrives() & (1u << (drive - 'A'))) != 0)
        ++drive;
    const std::string onMissingDrive = std::string(1, drive) + ":\\x\\y";
    AFileSpec missing;
    missing.SetFromMarshalledIQVFileSpec(onMissingDrive.data(), 6);
    EXPECT_FALSE(manager_->CreateDir(missing));
}

// The ANSI file functions stop at MAX_PATH (Wine at 260 characters, Windows
// itself earlier for directories): a path past it fails cleanly.
TEST_F(FileManagerTest, CreateDirNearTheLengthLimit) {
    const struct {
        std::size_t length;
        bool created;
    } rows[] = {{240, true}, {261, false}, {300, false}};
    for (const auto& row : rows) {
        const std::string name(row.length - root_.size() - 1, 'n');
        EXPECT_EQ(manager_->CreateDir(Spec(name)), row.created) << row.length;
        EXPECT_EQ(Exists(name), row.created) << row.length;
        RemoveDirectoryA(Path(name).c_str());
    }
}

TEST_F(FileManagerTest, DeleteDirRemovesOnlyWhatItMay) {
    MakeFile("a\\f.txt");
    MakeDir("b");
    EXPECT_TRUE(manager_->DeleteDir(Spec("a"), false));
    EXPECT_TRUE(manager_->DeleteDir(Spec("b"), false));
    EXPECT_FALSE(manager_->DeleteDir(Spec("b"), true));
    MakeReadOnly("a\\f.txt");
    EXPECT_FALSE(manager_->DeleteDir(Spec("a"), true));
    EXPECT_EQ(TreeText(), "a\\ a\\f.txt");
}

// a holds f.txt and s\g.txt and the empty s\t; b is empty.
TEST_F(FileManagerTest, DirectoryCopyMoveAndRename) {
    const std::string source = "a\\ a\\f.txt a\\s\\ a\\s\\g.txt a\\s\\t\\ ";
    const std::string copied = "b\\a\\ b\\a\\f.txt b\\a\\s\\ b\\a\\s\\g.txt b\\a\\s\\t\\";
    const struct {
        Op op;
        const char* destination;
        bool result;
        std::string tree;
    } rows[] = {
        {kCopyDir, "b", true, source + "b\\ " + copied},
        {kCopyTreeOnly, "b", true, source + "b\\ b\\a\\ b\\a\\s\\ b\\a\\s\\t\\"},
        {kCopyDirNoCreate, "missing", true, source + "b\\"},
        {kMoveDir, "b", true, "b\\ " + copied},
        {kRenameDir, "b", true, "b\\ b\\f.txt b\\s\\ b\\s\\g.txt b\\s\\t\\"},
        {kCopyDir, "a\\s", false, source + "b\\"},
        {kCopyDir, "A", false, source + "b\\"},
        {kMoveDir, "a\\new", false, source + "b\\"},
        {kMoveDir, "A\\S\\T", false, source + "b\\"},
        {kRenameDir, "a\\s", false, source + "b\\"},
        {kRenameDir, "a", false, source + "b\\"},
        {kRenameDir, "a\\s\\..", false, source + "b\\"},
    };
    for (const auto& row : rows) {
        MakeFile("a\\f.txt");
        MakeFile("a\\s\\g.txt");
        MakeDir("a\\s\\t");
        MakeDir("b");
        EXPECT_EQ(Apply(row.op, Spec("a"), Spec(row.destination), true), row.result)
            << row.op << " " << row.destination;
        EXPECT_EQ(TreeText(), row.tree) << row.op << " " << row.destination;
        TearDown();
        SetUp();
    }
    EXPECT_FALSE(manager_->MoveDir(Spec("a"), AFileSpec::GetInvalid(), false));
}

// src.txt holds "new", old.txt "old", d is an empty directory.
TEST_F(FileManagerTest, FileOperationsKeepWhatTheyMustNot) {
    const struct {
        Op op;
        bool overwrite;
        const char* destination;
        bool result;
        const char* tree;
        const char* content; // of the destination afterwards, if it exists
    } rows[] = {
        {kCopyFile, false, "old.txt", true, "d\\ old.txt src.txt", "old"},
        {kCopyFile, true, "old.txt", true, "d\\ old.txt src.txt", "new"},
        {kCopyFileNoCreate, false, "n\\m\\c.txt", true, "d\\ old.txt src.txt", nullptr},
        {kCopyFile, false, "n\\m\\c.txt", true, "d\\ n\\ n\\m\\ n\\m\\c.txt old.txt src.txt",
         "new"},
        {kCopyFile, true, "d", false, "d\\ old.txt src.txt", nullptr},
        {kCopyFile, true, "SRC.txt", false, "d\\ old.txt src.txt", "new"},
        {kMoveFile, false, "old.txt", true, "d\\ old.txt src.txt", "old"},
        {kMoveFile, true, "old.txt", true, "d\\ old.txt", "new"},
        {kRenameFile, false, "d\\e\\r.txt", true, "d\\ d\\e\\ d\\e\\r.txt old.txt", "new"},
        {kMoveFile, true, "d", false, "d\\ old.txt src.txt", nullptr},
        {kCreate, false, "old.txt", true, "d\\ old.txt src.txt", "old"},
        {kCreateOver, true, "old.txt", true, "d\\ old.txt src.txt", ""},
        {kCreate, false, "n\\c.txt", false, "d\\ old.txt src.txt", nullptr},
        {kDelete, false, "d", false, "d\\ old.txt src.txt", nullptr},
        {kDelete, false, "old.txt", true, "d\\ src.txt", nullptr},
    };
    for (const auto& row : rows) {
        MakeFile("src.txt", "new");
        MakeFile("old.txt", "old");
        MakeDir("d");
        EXPECT_EQ(Apply(row.op, Spec("src.txt"), Spec(row.destination), row.overwrite), row.result)
            << row.op << " " << row.destination;
        EXPECT_EQ(TreeText(), row.tree) << row.op << " " << row.destination;
        if (row.content != nullptr) {
            EXPECT_EQ(Content(row.destination), row.content) << row.op << " " << row.destination;
        }
        TearDown();
        SetUp();
    }
}

TEST_F(FileManagerTest, ReadOnlyFilesAreNeitherDeletedNorOverwritten) {
    MakeFile("src.txt", "new");
    MakeFile("ro.txt", "kept");
    MakeReadOnly("ro.txt");
    EXPECT_FALSE(manager_->DeleteFileSpec(Spec("ro.txt")));
    EXPECT_FALSE(manager_->CopyFileSpec(Spec("src.txt"), Spec("ro.txt"), true, true));
    EXPECT_FALSE(manager_->MoveFileSpec(Spec("src.txt"), Spec("ro.txt"), true));
    EXPECT_FALSE(manager_->DeleteAllFiles(Spec(""), false));
    EXPECT_EQ(Content("ro.txt"), "kept");
    EXPECT_TRUE(Exists("src.txt"));
}

TEST_F(FileManagerTest, PartialCopyStaysWhenAStepFails) {
    MakeFile("src\\a.txt", "a");
    MakeFile("src\\b.txt", "b");
    MakeFile("out\\src\\b.txt", "locked");
    MakeReadOnly("out\\src\\b.txt");
    EXPECT_FALSE(manager_->CopyDir(Spec("src"), Spec("out"), true, true, true));
    EXPECT_EQ(Content("out\\src\\b.txt"), "locked");
    EXPECT_FALSE(manager_->MoveDir(Spec("src"), Spec("out"), true));
    EXPECT_EQ(TreeText("src"), "a.txt b.txt");
}

// src holds n.txt ("top") and s with n.txt ("sub") and o.txt.
TEST_F(FileManagerTest, CopyFilesFlattensAndKeepsStructure) {
    const struct {
        const char* destination;
        const char* pattern;
        bool overwrite, recursive, keepStructure, result;
        const char* tree;
        const char* clash; // content of out\n.txt, if any
    } rows[] = {
        {"out", "src\\*", false, true, false, true, "n.txt o.txt", "sub"},
        {"out", "src\\*", true, true, false, true, "n.txt o.txt", "top"},
        {"out", "src\\*", false, true, true, true, "n.txt s\\ s\\n.txt s\\o.txt", "top"},
        {"out", "src\\*", false, false, true, true, "n.txt", "top"},
        {"out", "src\\s\\o.txt", false, false, true, true, "o.txt", nullptr},
        {"out", "src", false, true, true, false, "", nullptr},
        {"src\\s\\out", "src\\*", false, true, true, false, "", nullptr},
    };
    for (const auto& row : rows) {
        MakeFile("src\\n.txt", "top");
        MakeFile("src\\s\\n.txt", "sub");
        MakeFile("src\\s\\o.txt", "o");
        MakeDir("out");
        EXPECT_EQ(manager_->CopyFiles(Spec(row.destination), Spec(row.pattern), row.overwrite,
                                      row.recursive, row.keepStructure),
                  row.result)
            << row.pattern << " " << row.recursive << row.keepStructure;
        EXPECT_EQ(TreeText("out"), row.tree) << row.pattern;
        if (row.clash != nullptr) {
            EXPECT_EQ(Content("out\\n.txt"), row.clash) << row.overwrite << row.keepStructure;
        }
        EXPECT_EQ(TreeText("src"), "n.txt s\\ s\\n.txt s\\o.txt") << row.pattern;
        TearDown();
        SetUp();
    }
}

// x holds a.txt, b.log, a directory d.txt with c.txt and e.log, and a
// directory plain with f.txt and deep\g.txt.
class ListingTest : public FileManagerTest {
protected:
    void SetUp() override {
        FileManagerTest::SetUp();
        for (const char* file : {"a.txt", "b.log", "d.txt\\c.txt", "d.txt\\e.log", "plain\\f.txt",
                                 "plain\\deep\\g.txt"})
            MakeFile(std::string("x\\") + file);
    }

    // The listing after a first entry that must stay, sorted.
    std::string Listed(bool files, const char* spec, bool recursive, bool& result) {
        std::list<AFileSpec> listing(1, Spec("kept"));
        result = files ? manager_->GetFileListing(listing, Spec(spec), recursive)
                       : manager_->GetDirListing(listing, Spec(spec), recursive);
        std::vector<std::string> paths = RelativePaths(listing, root_);
        std::string text = paths.front() == "kept" ? "" : "lost";
        std::sort(paths.begin() + 1, paths.end());
        for (std::size_t i = 1; i < paths.size(); ++i)
            text += (text.empty() ? "" : " ") + paths[i];
        return text;
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
        {true, "x\\*.none", true, ""},
        {true, "y\\*", true, ""},
        {false, "x", false, "x\\d.txt x\\plain"},
        {false, "x", true, "x\\d.txt x\\plain x\\plain\\deep"},
    };
    for (const auto& row : rows) {
        bool result = false;
        EXPECT_EQ(Listed(row.files, row.spec, row.recursive, result), row.expected)
            << row.spec << " " << row.files << row.recursive;
        EXPECT_TRUE(result) << row.spec;
    }
    std::list<AFileSpec> listing;
    EXPECT_FALSE(manager_->GetFileListing(listing, AFileSpec::GetInvalid(), true));
}

class ContainmentProbe : public WIN32_FileManager {
public:
    using WIN32_FileManager::IsParent;
};

// The listing-based test finds only directories that exist, with exactly the
// listed spelling; the copies refuse more than that by themselves.
TEST_F(ListingTest, IsParentFindsListedDirectoriesOnly) {
    const struct {
        const char* ancestor;
        const char* candidate;
        bool isParent;
    } rows[] = {
        {"x", "x\\plain\\deep", true}, {"x", "x\\plain", true},        {"x", "x", false},
        {"x", "X\\PLAIN", false},      {"x", "x\\plain\\none", false}, {"x\\plain", "x", false},
        {"missing", "x", false},
    };
    ContainmentProbe probe;
    for (const auto& row : rows) {
        bool isParent = !row.isParent;
        EXPECT_TRUE(probe.IsParent(isParent, Spec(row.ancestor), Spec(row.candidate)))
            << row.candidate;
        EXPECT_EQ(isParent, row.isParent) << row.ancestor << " " << row.candidate;
    }
}

// A name the ANSI code page cannot represent comes back from the search with
// "?" in it and cannot be found under that path: it is left out.
TEST_F(ListingTest, EntriesThatCannotBeFoundAgainAreLeftOut) {
    const std::string directory = Path("x");
    const std::wstring wide = std::wstring(directory.begin(), directory.end()) + L"\\\u4e2d.txt";
    CloseHandle(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_EQ(Tree("x").size(), 10u);
    bool result = false;
    EXPECT_EQ(Listed(true, "x", false, result), "x\\a.txt x\\b.log");
}

TEST_F(ListingTest, DirectoriesComeBeforeTheirContent) {
    std::list<AFileSpec> listing;
    ASSERT_TRUE(manager_->GetDirListing(listing, Spec("x"), true));
    const std::vector<std::string> listed = RelativePaths(listing, root_);
    const auto plain = std::find(listed.begin(), listed.end(), "x\\plain");
    const auto deep = std::find(listed.begin(), listed.end(), "x\\plain\\deep");
    ASSERT_NE(deep, listed.end());
    EXPECT_EQ(deep - plain, 1);
}

TEST_F(ListingTest, DeleteFilesRecursesIntoEverySubdirectory) {
    EXPECT_FALSE(manager_->DeleteFiles(Spec("x"), true));
    EXPECT_FALSE(manager_->DeleteFiles(Spec("y\\*.txt"), true));
    EXPECT_TRUE(manager_->DeleteFiles(Spec("x\\*.txt"), true));
    EXPECT_EQ(TreeText("x"), "b.log d.txt\\ d.txt\\e.log plain\\ plain\\deep\\");
    EXPECT_TRUE(manager_->DeleteAllFiles(Spec("x"), false));
    EXPECT_EQ(TreeText("x"), "d.txt\\ d.txt\\e.log plain\\ plain\\deep\\");
}

TEST_F(ListingTest, FindMatchingFileSearchesSubdirectories) {
    const struct {
        const char* pattern;
        bool recursive, result, found;
    } rows[] = {
        {"x\\*.txt", false, true, true},  {"x\\g.txt", false, true, false},
        {"x\\g.txt", true, true, true},   {"x\\*.none", true, true, false},
        {"x\\plain", true, false, false}, {"y\\*.txt", true, false, false},
    };
    for (const auto& row : rows) {
        bool found = !row.found;
        EXPECT_EQ(manager_->FindMatchingFile(found, Spec(row.pattern), row.recursive), row.result)
            << row.pattern;
        EXPECT_EQ(found, row.result ? row.found : !row.found) << row.pattern;
    }
}

} // namespace
} // namespace REDudi
