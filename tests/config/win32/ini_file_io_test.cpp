#include "ini_test_support.h"
#include "tests/files/scratch_directory.h"

#include <fstream>
#include <memory>
#include <string>

using namespace REDudi;

namespace {

const char kUserFile[] = "; settings\r\n[Server]\r\nHost = example ; main\r\n\r\n# end\r\n";
const char kSaved[] = "[Server]\r\nHost=changed\r\n\r\n";

// Each test works on settings.ini in a scratch directory of its own.
class IniFileIoTest : public testing_files::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        Build({std::string("settings.ini=") + kUserFile});
        file = Spec("settings.ini");
    }
    bool ReadOnly(bool on) {
        return SetFileAttributesA(Path("settings.ini").c_str(),
                                  on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    }
    AFileSpec file;
};

TEST_F(IniFileIoTest, OpenReadsAndOnlyChangedFilesAreWritten) {
    IniFile ini;
    EXPECT_FALSE(ini.Open(Spec("missing.ini")));
    EXPECT_TRUE(ini.Write()); // nothing open: nothing to do
    ASSERT_TRUE(ini.Open(file));
    EXPECT_EQ("[Server]\nHost=example\n\n", WrittenForm(ini));
    Build({"settings.ini=[Other]\n"});
    EXPECT_TRUE(ini.Write()); // clean: the file is left alone
    EXPECT_TRUE(ini.Close());
    ini.WriteString("Late", "k", "v"); // changed while closed
    ini.Write();
    EXPECT_EQ("[Other]\n", Content("settings.ini"));
}

// Write, Close and the destructor save all, without comments or a temporary file.
TEST_F(IniFileIoTest, SavingWritesTheWholeFileWithoutComments) {
    for (int how = 0; how < 3; ++how) {
        Build({std::string("settings.ini=") + kUserFile});
        std::unique_ptr<IniFile> ini(new IniFile);
        ASSERT_TRUE(ini->Open(file));
        ASSERT_TRUE(ini->WriteString("Server", "Host", "changed"));
        if (how < 2)
            EXPECT_TRUE(how == 0 ? ini->Write() : ini->Close());
        else
            ini.reset();
        EXPECT_EQ(kSaved, Content("settings.ini")) << how;
        EXPECT_EQ("settings.ini", Tree()) << how;
    }
}

// A failed save keeps the old file and the pending changes.
TEST_F(IniFileIoTest, FailedSaveLosesNothing) {
    IniFile ini;
    ASSERT_TRUE(ini.Open(file));
    ASSERT_TRUE(ini.WriteString("Server", "Host", "changed"));
    ASSERT_TRUE(ReadOnly(true));
    EXPECT_FALSE(ini.Write());
    EXPECT_EQ(kUserFile, Content("settings.ini"));
    EXPECT_EQ("settings.ini", Tree());
    ASSERT_TRUE(ReadOnly(false));
    EXPECT_TRUE(ini.Write()); // still pending
    EXPECT_EQ(kSaved, Content("settings.ini"));
    ASSERT_TRUE(ini.WriteString("Server", "Host", "again"));
    ASSERT_TRUE(ReadOnly(true));
    EXPECT_FALSE(ini.Close());
    EXPECT_EQ(kSaved, Content("settings.ini"));
}

TEST_F(IniFileIoTest, CopiesAreDeepAndOpenOfAnotherFileSavesTheFirst) {
    IniFile ini;
    ASSERT_TRUE(ini.Open(file));
    IniFile copy(ini), assigned;
    ASSERT_TRUE(copy.WriteString("Server", "Host", "changed"));
    assigned = copy;
    EXPECT_EQ("[Server]\nHost=example\n\n", WrittenForm(ini));
    EXPECT_EQ("[Server]\nHost=changed\n\n", WrittenForm(assigned));
    std::ofstream(Path("second.ini"), std::ios::binary) << "[B]\nk=2\n";
    ASSERT_TRUE(copy.Open(Spec("second.ini"))); // saves the copy's change to the first file
    EXPECT_EQ(kSaved, Content("settings.ini"));
    EXPECT_EQ(2u, copy.GetInt("b", "K", 0));
}

} // namespace
