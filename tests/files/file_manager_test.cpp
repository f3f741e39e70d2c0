// The file manager on directory trees built by each test in its own scratch
// directory: results of every failing step, what is left behind, and what is
// never touched.
#include "scratch_directory.h"

#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace REDudi {
namespace {

using testing_files::RelativePaths;
using testing_files::ScratchTest;
using Paths = std::vector<std::string>;

class FileManagerTest : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        manager_.reset(FileManager::GetNewFileManager());
        ASSERT_NE(manager_, nullptr);
    }

    // a\f.txt, a\s\g.txt, a\s\t\ (empty) and an empty b.
    void MakeSourceTree() {
        MakeFile("a\\f.txt", "f");
        MakeFile("a\\s\\g.txt", "g");
        MakeDir("a\\s\\t");
        MakeDir("b");
    }

    std::unique_ptr<FileManager> manager_;
};

char MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        if ((drives & (1u << (letter - 'A'))) == 0)
            return letter;
    }
    return 0;
}

TEST_F(FileManagerTest, CreateDirCreatesEveryMissingLevel) {
    MakeDir("exists");
    EXPECT_TRUE(manager_->CreateDir(Spec("one\\two\\three")));
    EXPECT_TRUE(manager_->DirExists(Spec("one\\two\\three")));
    EXPECT_TRUE(manager_->CreateDir(Spec("exists")));
    EXPECT_FALSE(manager_->CreateDir(AFileSpec::GetInvalid()));

    const char drive = MissingDrive();
    ASSERT_NE(drive, 0);
    AFileSpec missing = Spec("");
    const std::string onMissingDrive = std::string(1, drive) + ":\\x\\y";
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
    MakeSourceTree();
    EXPECT_TRUE(manager_->DeleteDir(Spec("a"), false));
    EXPECT_TRUE(Exists("a\\f.txt"));
    EXPECT_TRUE(manager_->DeleteDir(Spec("b"), false));
    EXPECT_FALSE(Exists("b"));
    EXPECT_FALSE(manager_->DeleteDir(Spec("b"), true));

    MakeReadOnly("a\\f.txt");
    EXPECT_FALSE(manager_->DeleteDir(Spec("a"), true));
    EXPECT_EQ(Tree(), (Paths{"a\\", "a\\f.txt"}));
}

TEST_F(FileManagerTest, DirectoryCopyMoveAndRename) {
    const Paths source = {"a\\", "a\\f.txt", "a\\s\\", "a\\s\\g.txt", "a\\s\\t\\"};
    const Paths copied = {"b\\a\\", "b\\a\\f.txt", "b\\a\\s\\", "b\\a\\s\\g.txt", "b\\a\\s\\t\\"};
    Paths copy = source;
    copy.push_back("b\\");
    copy.insert(copy.end(), copied.begin(), copied.end());
    Paths moved = {"b\\"};
    moved.insert(moved.end(), copied.begin(), copied.end());
    const Paths renamed = {"b\\", "b\\f.txt", "b\\s\\", "b\\s\\g.txt", "b\\s\\t\\"};
    Paths untouched = source;
    untouched.push_back("b\\");
    Paths treeOnly = untouched;
    treeOnly.insert(treeOnly.end(), {"b\\a\\", "b\\a\\s\\", "b\\a\\s\\t\\"});
    std::sort(treeOnly.begin(), treeOnly.end());

    const struct {
        const char* name;
        std::function<bool(FileManager&, const AFileSpec&, const AFileSpec&)> operation;
        const char* destination;
        bool result;
        Paths tree;
    } rows[] = {
        {"copy",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyDir(s, d, false, true, true);
         },
         "b", true, copy},
        {"copy tree only",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyDir(s, d, false, false, true);
         },
         "b", true, treeOnly},
        {"copy, destination not created",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyDir(s, d, false, true, false);
         },
         "missing", true, untouched},
        {"move",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.MoveDir(s, d, false);
         },
         "b", true, moved},
        {"rename",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.RenameDir(s, d, false);
         },
         "b", true, renamed},
        {"copy into itself",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyDir(s, d, false, true, true);
         },
         "a\\s", false, untouched},
        {"copy onto itself",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyDir(s, d, true, true, true);
         },
         "A", false, untouched},
        {"move into a new subdirectory",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.MoveDir(s, d, false);
         },
         "a\\new", false, untouched},
        {"move into itself, other case",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.MoveDir(s, d, false);
         },
         "A\\S\\T", false, untouched},
        {"rename into itself",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.RenameDir(s, d, true);
         },
         "a\\s", false, untouched},
        {"rename onto itself",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.RenameDir(s, d, true);
         },
         "a", false, untouched},
        {"invalid destination",
         [](FileManager& m, const AFileSpec& s, const AFileSpec&) {
             return m.MoveDir(s, AFileSpec::GetInvalid(), false);
         },
         "b", false, untouched},
    };
    for (const auto& row : rows) {
        MakeSourceTree();
        EXPECT_EQ(row.operation(*manager_, Spec("a"), Spec(row.destination)), row.result)
            << row.name;
        EXPECT_EQ(Tree(), row.tree) << row.name;
        TearDown();
        SetUp();
    }
}

TEST_F(FileManagerTest, FileOperationsKeepWhatTheyMustNot) {
    const struct {
        const char* name;
        std::function<bool(FileManager&, const AFileSpec&, const AFileSpec&)> operation;
        const char* destination;
        bool result;
        Paths tree;
        const char* destinationContent;
    } rows[] = {
        {"copy over, no overwrite",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyFileSpec(s, d, false, false);
         },
         "old.txt",
         true,
         {"d\\", "old.txt", "src.txt"},
         "old"},
        {"copy over",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyFileSpec(s, d, true, false);
         },
         "old.txt",
         true,
         {"d\\", "old.txt", "src.txt"},
         "new"},
        {"copy, directory not created",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyFileSpec(s, d, false, false);
         },
         "n\\m\\c.txt",
         true,
         {"d\\", "old.txt", "src.txt"},
         nullptr},
        {"copy, directories created",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyFileSpec(s, d, false, true);
         },
         "n\\m\\c.txt",
         true,
         {"d\\", "n\\", "n\\m\\", "n\\m\\c.txt", "old.txt", "src.txt"},
         "new"},
        {"copy onto a directory",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyFileSpec(s, d, true, true);
         },
         "d",
         false,
         {"d\\", "old.txt", "src.txt"},
         nullptr},
        {"copy onto itself",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.CopyFileSpec(s, d, true, true);
         },
         "SRC.txt",
         false,
         {"d\\", "old.txt", "src.txt"},
         "new"},
        {"move over, no overwrite",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.MoveFileSpec(s, d, false);
         },
         "old.txt",
         true,
         {"d\\", "old.txt", "src.txt"},
         "old"},
        {"move over",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.MoveFileSpec(s, d, true);
         },
         "old.txt",
         true,
         {"d\\", "old.txt"},
         "new"},
        {"rename into new directories",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.RenameFileSpec(s, d, false);
         },
         "d\\e\\r.txt",
         true,
         {"d\\", "d\\e\\", "d\\e\\r.txt", "old.txt"},
         "new"},
        {"move onto a directory",
         [](FileManager& m, const AFileSpec& s, const AFileSpec& d) {
             return m.MoveFileSpec(s, d, true);
         },
         "d",
         false,
         {"d\\", "old.txt", "src.txt"},
         nullptr},
        {"create over, no overwrite",
         [](FileManager& m, const AFileSpec&, const AFileSpec& d) {
             return m.CreateFileSpec(d, false);
         },
         "old.txt",
         true,
         {"d\\", "old.txt", "src.txt"},
         "old"},
        {"create over",
         [](FileManager& m, const AFileSpec&, const AFileSpec& d) {
             return m.CreateFileSpec(d, true);
         },
         "old.txt",
         true,
         {"d\\", "old.txt", "src.txt"},
         ""},
        {"create in a missing directory",
         [](FileManager& m, const AFileSpec&, const AFileSpec& d) {
             return m.CreateFileSpec(d, false);
         },
         "n\\c.txt",
         false,
         {"d\\", "old.txt", "src.txt"},
         nullptr},
        {"delete a directory",
         [](FileManager& m, const AFileSpec&, const AFileSpec& d) { return m.DeleteFileSpec(d); },
         "d",
         false,
         {"d\\", "old.txt", "src.txt"},
         nullptr},
        {"delete",
         [](FileManager& m, const AFileSpec&, const AFileSpec& d) { return m.DeleteFileSpec(d); },
         "old.txt",
         true,
         {"d\\", "src.txt"},
         nullptr},
    };
    for (const auto& row : rows) {
        MakeFile("src.txt", "new");
        MakeFile("old.txt", "old");
        MakeDir("d");
        EXPECT_EQ(row.operation(*manager_, Spec("src.txt"), Spec(row.destination)), row.result)
            << row.name;
        EXPECT_EQ(Tree(), row.tree) << row.name;
        if (row.destinationContent != nullptr) {
            EXPECT_EQ(Content(row.destination), row.destinationContent) << row.name;
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

// x holds a.txt, b.log, a directory d.txt with c.txt and e.log, and a
// directory plain with f.txt.
class ListingTest : public FileManagerTest {
protected:
    void SetUp() override {
        FileManagerTest::SetUp();
        MakeFile("x\\a.txt");
        MakeFile("x\\b.log");
        MakeFile("x\\d.txt\\c.txt");
        MakeFile("x\\d.txt\\e.log");
        MakeFile("x\\plain\\f.txt");
        MakeFile("x\\plain\\deep\\g.txt");
    }

    Paths Sorted(Paths paths) {
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

TEST_F(ListingTest, ListingsMatchPatternsAndAppend) {
    const struct {
        const char* name;
        bool files;
        const char* spec;
        bool recursive;
        Paths expected;
    } rows[] = {
        {"files", true, "x", false, {"x\\a.txt", "x\\b.log"}},
        {"files, recursive",
         true,
         "x",
         true,
         {"x\\a.txt", "x\\b.log", "x\\d.txt\\c.txt", "x\\d.txt\\e.log", "x\\plain\\deep\\g.txt",
          "x\\plain\\f.txt"}},
        {"pattern", true, "x\\*.txt", false, {"x\\a.txt"}},
        {"pattern, recursive", true, "x\\*.txt", true, {"x\\a.txt", "x\\d.txt\\c.txt"}},
        {"one file", true, "x\\b.log", false, {"x\\b.log"}},
        {"no match", true, "x\\*.none", true, {}},
        {"missing directory", true, "y\\*", true, {}},
        {"directories", false, "x", false, {"x\\d.txt", "x\\plain"}},
        {"directories, recursive", false, "x", true, {"x\\d.txt", "x\\plain", "x\\plain\\deep"}},
    };
    for (const auto& row : rows) {
        std::list<AFileSpec> listing(1, Spec("kept"));
        const bool result = row.files
                                ? manager_->GetFileListing(listing, Spec(row.spec), row.recursive)
                                : manager_->GetDirListing(listing, Spec(row.spec), row.recursive);
        EXPECT_TRUE(result) << row.name;
        Paths listed = RelativePaths(listing, root_);
        ASSERT_FALSE(listed.empty()) << row.name;
        EXPECT_EQ(listed.front(), "kept") << row.name;
        listed.erase(listed.begin());
        EXPECT_EQ(Sorted(listed), row.expected) << row.name;
    }
    std::list<AFileSpec> listing;
    EXPECT_FALSE(manager_->GetFileListing(listing, AFileSpec::GetInvalid(), true));
}

// A name the ANSI code page cannot represent comes back from the search with
// "?" in it and cannot be found under that path: it is left out.
TEST_F(ListingTest, EntriesThatCannotBeFoundAgainAreLeftOut) {
    MakeFile("w\\ok.txt");
    const std::string directory = Path("w");
    const std::wstring wide = std::wstring(directory.begin(), directory.end()) + L"\\\u4e2d.txt";
    CloseHandle(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_EQ(Tree("w").size(), 2u);
    std::list<AFileSpec> listing;
    ASSERT_TRUE(manager_->GetFileListing(listing, Spec("w"), false));
    EXPECT_EQ(RelativePaths(listing, root_), Paths{"w\\ok.txt"});
}

TEST_F(ListingTest, DirectoriesComeBeforeTheirContent) {
    std::list<AFileSpec> listing;
    ASSERT_TRUE(manager_->GetDirListing(listing, Spec("x"), true));
    const Paths listed = RelativePaths(listing, root_);
    const auto plain = std::find(listed.begin(), listed.end(), "x\\plain");
    const auto deep = std::find(listed.begin(), listed.end(), "x\\plain\\deep");
    ASSERT_NE(deep, listed.end());
    EXPECT_EQ(deep - plain, 1);
}

TEST_F(ListingTest, DeleteFilesRecursesIntoEverySubdirectory) {
    EXPECT_FALSE(manager_->DeleteFiles(Spec("x"), true));
    EXPECT_FALSE(manager_->DeleteFiles(Spec("y\\*.txt"), true));
    EXPECT_TRUE(manager_->DeleteFiles(Spec("x\\*.txt"), true));
    EXPECT_EQ(Tree("x"), (Paths{"b.log", "d.txt\\", "d.txt\\e.log", "plain\\", "plain\\deep\\"}));
    EXPECT_TRUE(manager_->DeleteAllFiles(Spec("x"), false));
    EXPECT_EQ(Tree("x"), (Paths{"d.txt\\", "d.txt\\e.log", "plain\\", "plain\\deep\\"}));
}

TEST_F(ListingTest, FindMatchingFileSearchesSubdirectories) {
    const struct {
        const char* pattern;
        bool recursive;
        bool result;
        bool found;
    } rows[] = {
        {"x\\*.txt", false, true, true},  {"x\\g.txt", false, true, false},
        {"x\\g.txt", true, true, true},   {"x\\*.none", true, true, false},
        {"x\\plain", true, false, false}, {"y\\*.txt", true, false, false},
    };
    for (const auto& row : rows) {
        bool found = !row.found;
        EXPECT_EQ(manager_->FindMatchingFile(found, Spec(row.pattern), row.recursive), row.result)
            << row.pattern;
        if (row.result) {
            EXPECT_EQ(found, row.found) << row.pattern;
        }
    }
}

TEST_F(FileManagerTest, CopyFilesFlattensAndKeepsStructure) {
    const struct {
        const char* name;
        const char* pattern;
        bool overwrite, recursive, keepStructure, result;
        Paths tree;
        const char* clash; // content of out\n.txt, if any
    } rows[] = {
        {"flat, first copy wins", "src\\*", false, true, false, true, {"n.txt", "o.txt"}, "sub"},
        {"flat, overwrite", "src\\*", true, true, false, true, {"n.txt", "o.txt"}, "top"},
        {"structure",
         "src\\*",
         false,
         true,
         true,
         true,
         {"n.txt", "s\\", "s\\n.txt", "s\\o.txt"},
         "top"},
        {"not recursive", "src\\*", false, false, true, true, {"n.txt"}, "top"},
        {"one file", "src\\s\\o.txt", false, false, true, true, {"o.txt"}, nullptr},
        {"directory as pattern", "src", false, true, true, false, {}, nullptr},
        {"into its own tree", "src\\*", false, true, true, false, {}, nullptr},
    };
    for (const auto& row : rows) {
        MakeFile("src\\n.txt", "top");
        MakeFile("src\\s\\n.txt", "sub");
        MakeFile("src\\s\\o.txt", "o");
        MakeDir("out");
        const AFileSpec destination =
            std::string(row.name) == "into its own tree" ? Spec("src\\s\\out") : Spec("out");
        EXPECT_EQ(manager_->CopyFiles(destination, Spec(row.pattern), row.overwrite, row.recursive,
                                      row.keepStructure),
                  row.result)
            << row.name;
        EXPECT_EQ(Tree("out"), row.tree) << row.name;
        if (row.clash != nullptr) {
            EXPECT_EQ(Content("out\\n.txt"), row.clash) << row.name;
        }
        EXPECT_EQ(Tree("src"), (Paths{"n.txt", "s\\", "s\\n.txt", "s\\o.txt"})) << row.name;
        TearDown();
        SetUp();
    }
}

TEST_F(FileManagerTest, PartialCopyStaysWhenAStepFails) {
    MakeFile("src\\a.txt", "a");
    MakeFile("src\\b.txt", "b");
    MakeFile("out\\src\\b.txt", "locked");
    MakeReadOnly("out\\src\\b.txt");
    EXPECT_FALSE(manager_->CopyDir(Spec("src"), Spec("out"), true, true, true));
    EXPECT_EQ(Content("out\\src\\b.txt"), "locked");
    EXPECT_FALSE(manager_->MoveDir(Spec("src"), Spec("out"), true));
    EXPECT_EQ(Tree("src"), (Paths{"a.txt", "b.txt"}));
}

} // namespace
} // namespace REDudi
