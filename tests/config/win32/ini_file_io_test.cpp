#include "ini_test_support.h"

#include <REDudi/files.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

using namespace REDudi;

namespace {

const char kUserFile[] = "; settings\r\n[Server]\r\nHost = example ; main\r\n\r\n# end\r\n";

// Each test works on its own file in a fresh folder under the temporary
// directory, removed afterwards with everything in it.
class IniFileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.SetToTemporaryDirectory());
        folder.SetRelativePath(PString("redudi_ini_") + std::to_string(GetCurrentProcessId()) +
                               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        CreateDirectoryA(folder.GetFullPath().c_str(), nullptr);
        file = folder;
        file.SetRelativePath("settings.ini");
        path = file.GetFullPath();
    }
    void TearDown() override {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const std::string& name : FolderEntries())
            DeleteFileA((folder.GetFullPath() + "\\" + name).c_str());
        RemoveDirectoryA(folder.GetFullPath().c_str());
    }

    void Store(const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Load() {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    std::list<std::string> FolderEntries() {
        std::list<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder.GetFullPath() + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..")
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    AFileSpec folder;
    AFileSpec file;
    std::string path;
};

TEST_F(IniFileIoTest, OpenReadsTheFileAndAMissingFileFails) {
    IniFile ini;
    EXPECT_FALSE(ini.Open(file));
    EXPECT_TRUE(ini.Write()); // nothing open: nothing to do
    Store(kUserFile);
    ASSERT_TRUE(ini.Open(file));
    EXPECT_EQ("[Server]\nHost=example\n\n", WrittenForm(ini));
    EXPECT_TRUE(ini.Close());
    EXPECT_EQ(kUserFile, Load()); // unchanged: not written back
}

TEST_F(IniFileIoTest, SavingWritesTheWholeFileWithoutComments) {
    struct Row {
        const char* what;
        void (*save)(IniFile*&);
    } rows[] = {
        {"Write", [](IniFile*& ini) { EXPECT_TRUE(ini->Write()); }},
        {"Close", [](IniFile*& ini) { EXPECT_TRUE(ini->Close()); }},
        {"destructor", [](IniFile*& ini) {
             delete ini;
             ini = nullptr;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Store(kUserFile);
        IniFile* ini = new IniFile;
        ASSERT_TRUE(ini->Open(file));
        ASSERT_TRUE(ini->WriteInt("New", "Zero", 0));
        row.save(ini);
        EXPECT_EQ("[Server]\r\nHost=example\r\n\r\n[New]\r\nZero=0\r\n\r\n", Load());
        delete ini;
    }
    EXPECT_EQ(std::list<std::string>{"settings.ini"}, FolderEntries()); // no temporary left
}

TEST_F(IniFileIoTest, UnchangedOrClosedFilesAreNotWritten) {
    Store(kUserFile);
    {
        IniFile ini;
        ASSERT_TRUE(ini.Open(file));
        Store("[Other]\n");
        EXPECT_TRUE(ini.Write()); // clean: the file is left alone
        EXPECT_TRUE(ini.Close());
        ini.WriteString("Late", "k", "v"); // changed while closed
    }
    EXPECT_EQ("[Other]\n", Load());
}

// A save that cannot replace the file keeps the old content on disk and the
// changes in memory, so that a later save can still write them.
TEST_F(IniFileIoTest, FailedSaveLosesNothing) {
    Store(kUserFile);
    IniFile ini;
    ASSERT_TRUE(ini.Open(file));
    ASSERT_TRUE(ini.WriteString("Server", "Host", "changed"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ini.Write());
    EXPECT_FALSE(ini.Close());
    EXPECT_EQ(kUserFile, Load());
    EXPECT_EQ(std::list<std::string>{"settings.ini"}, FolderEntries());
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(ini.Open(file)); // re-reading drops the pending change
    ASSERT_TRUE(ini.WriteString("Server", "Host", "changed"));
    EXPECT_TRUE(ini.Write());
    EXPECT_EQ("[Server]\r\nHost=changed\r\n\r\n", Load());
}

TEST_F(IniFileIoTest, CopiesAreDeepAndOpenOfAnotherFileSavesTheFirst) {
    Store(kUserFile);
    IniFile ini;
    ASSERT_TRUE(ini.Open(file));
    IniFile copy(ini);
    ASSERT_TRUE(copy.WriteString("Server", "Host", "copy"));
    char buffer[16];
    EXPECT_STREQ("example", ini.GetString("Server", "Host", "", buffer, sizeof buffer));
    IniFile assigned;
    assigned = copy;
    EXPECT_STREQ("copy", assigned.GetString("Server", "Host", "", buffer, sizeof buffer));

    AFileSpec second(folder);
    second.SetRelativePath("second.ini");
    std::ofstream(second.GetFullPath(), std::ios::binary) << "[B]\nk=2\n";
    ASSERT_TRUE(copy.Open(second)); // saves the copy's change to the first file
    EXPECT_EQ("[Server]\r\nHost=copy\r\n\r\n", Load());
    EXPECT_EQ(2u, copy.GetInt("b", "K", 0));
    assigned.Close();
}

TEST_F(IniFileIoTest, OpenByTextIsRelativeToTheApplicationDirectory) {
    AFileSpec beside(PString("redudi_ini_io_test.ini"));
    std::string besidePath = beside.GetFullPath();
    std::ofstream(besidePath, std::ios::binary) << "[App]\nk=1\n";
    IniFile ini;
    char name[] = "redudi_ini_io_test.ini";
    EXPECT_TRUE(ini.Open(name));
    EXPECT_EQ(1u, ini.GetInt("App", "k", 0));
    ini.Close();
    DeleteFileA(besidePath.c_str());
    char missing[] = "redudi_ini_io_missing.ini";
    EXPECT_FALSE(ini.Open(missing));
}

} // namespace
