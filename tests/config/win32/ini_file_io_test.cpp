#include "ini_test_support.h"

#include <REDudi/files.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace REDudi;

namespace {

const char kUserFile[] = "; settings\r\n[Server]\r\nHost = example ; main\r\n\r\n# end\r\n";
const char kSaved[] = "[Server]\r\nHost=changed\r\n\r\n";

// Each test works on its own file in a fresh folder under the temporary
// directory, removed afterwards with everything in it.
class IniFileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.SetToTemporaryDirectory());
        folder.SetRelativePath(PString("redudi_ini_") + std::to_string(GetCurrentProcessId()) +
                               "_" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        CreateDirectoryA(folder.GetFullPath().c_str(), nullptr);
        file = folder;
        file.SetRelativePath("settings.ini");
        Store(kUserFile);
    }
    void TearDown() override {
        SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const std::string& name : FolderEntries())
            DeleteFileA((folder.GetFullPath() + "\\" + name).c_str());
        RemoveDirectoryA(folder.GetFullPath().c_str());
    }

    std::string Path() { return file.GetFullPath(); }
    void Store(const std::string& bytes) { std::ofstream(Path(), std::ios::binary) << bytes; }
    std::string Load() {
        std::ostringstream bytes;
        bytes << std::ifstream(Path(), std::ios::binary).rdbuf();
        return bytes.str();
    }
    std::list<std::string> FolderEntries() {
        std::list<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder.GetFullPath() + "\\*").c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more;
             more = FindNextFileA(search, &found)) {
            if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..")
                names.push_back(found.cFileName);
        }
        FindClose(search);
        return names;
    }

    AFileSpec folder;
    AFileSpec file;
};

TEST_F(IniFileIoTest, OpenReadsAndOnlyChangedFilesAreWritten) {
    IniFile ini;
    AFileSpec missing(folder);
    missing.SetRelativePath("missing.ini");
    EXPECT_FALSE(ini.Open(missing));
    EXPECT_TRUE(ini.Write()); // nothing open: nothing to do
    ASSERT_TRUE(ini.Open(file));
    EXPECT_EQ("[Server]\nHost=example\n\n", WrittenForm(ini));
    Store("[Other]\n");
    EXPECT_TRUE(ini.Write()); // clean: the file is left alone
    EXPECT_TRUE(ini.Close());
    ini.WriteString("Late", "k", "v"); // changed while closed
    ini.Write();
    EXPECT_EQ("[Other]\n", Load());
}

// Write, Close and the destructor each save the whole file, without comments.
TEST_F(IniFileIoTest, SavingWritesTheWholeFileWithoutComments) {
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        Store(kUserFile);
        IniFile* ini = new IniFile;
        ASSERT_TRUE(ini->Open(file));
        ASSERT_TRUE(ini->WriteString("Server", "Host", "changed"));
        if (how < 2)
            EXPECT_TRUE(how == 0 ? ini->Write() : ini->Close());
        else
            delete std::exchange(ini, nullptr);
        EXPECT_EQ(kSaved, Load());
        delete ini;
    }
    EXPECT_EQ(std::list<std::string>{"settings.ini"}, FolderEntries()); // no temporary left
}

// A save that cannot replace the file keeps the old content on disk and the
// changes in memory, so that a later save can still write them.
TEST_F(IniFileIoTest, FailedSaveLosesNothing) {
    IniFile ini;
    ASSERT_TRUE(ini.Open(file));
    ASSERT_TRUE(ini.WriteString("Server", "Host", "changed"));
    ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ini.Write());
    EXPECT_EQ(kUserFile, Load());
    EXPECT_EQ(std::list<std::string>{"settings.ini"}, FolderEntries());
    ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(ini.Write()); // still pending
    EXPECT_EQ(kSaved, Load());
    ASSERT_TRUE(ini.WriteString("Server", "Host", "again"));
    ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ini.Close());
    EXPECT_EQ(kSaved, Load());
}

TEST_F(IniFileIoTest, CopiesAreDeepAndOpenOfAnotherFileSavesTheFirst) {
    IniFile ini;
    ASSERT_TRUE(ini.Open(file));
    IniFile copy(ini);
    ASSERT_TRUE(copy.WriteString("Server", "Host", "changed"));
    IniFile assigned;
    assigned = copy;
    EXPECT_EQ("[Server]\nHost=example\n\n", WrittenForm(ini));
    EXPECT_EQ("[Server]\nHost=changed\n\n", WrittenForm(assigned));
    AFileSpec second(folder);
    second.SetRelativePath("second.ini");
    std::ofstream(second.GetFullPath(), std::ios::binary) << "[B]\nk=2\n";
    ASSERT_TRUE(copy.Open(second)); // saves the copy's change to the first file
    EXPECT_EQ(kSaved, Load());
    EXPECT_EQ(2u, copy.GetInt("b", "K", 0));
    assigned.Close();
    // A name alone is relative to the application directory.
    AFileSpec beside(PString("redudi_ini_io_test.ini"));
    std::ofstream(beside.GetFullPath().c_str(), std::ios::binary) << "[App]\nk=1\n";
    char name[] = "redudi_ini_io_test.ini";
    EXPECT_TRUE(ini.Open(name));
    DeleteFileA(beside.GetFullPath().c_str());
    EXPECT_EQ(1u, ini.GetInt("App", "k", 0));
    EXPECT_FALSE(ini.Open(name));
}

} // namespace
