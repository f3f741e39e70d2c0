// INI files imported into Wine's real registry, read back raw.
#include "win32/registry_test_root.h"

#include <REDudi/config.h>
#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

using namespace REDudi;
using REDudi::testing::RegistryTestRoot;

namespace {

class IniImportTest : public ::testing::Test {
protected:
    ~IniImportTest() override {
        for (const AFileSpec& file : files_)
            DeleteFileA(file.GetFullPath().c_str());
    }
    // An INI file beside the program, removed with the test.
    AFileSpec Ini(const std::string& text) {
        name_ = "redudi_import_" + std::to_string(files_.size()) + "_" +
                std::to_string(GetCurrentProcessId()) + ".ini";
        files_.emplace_back(PString(name_.c_str()));
        std::ofstream(files_.back().GetFullPath().c_str(), std::ios::binary) << text;
        return files_.back();
    }
    // Each row: the key below the branch, the value name, the stored text.
    void ExpectStored(const std::vector<std::vector<std::string>>& rows) {
        for (const auto& row : rows)
            EXPECT_EQ(row[2], branch_.Stored(row[0], row[1])) << row[0] << " " << row[1];
    }

    RegistryTestRoot branch_{"imp"};
    APropertyManager manager_{PString(branch_.Root().c_str())};
    std::vector<AFileSpec> files_;
    std::string name_; // of the last file
};

// A failed write ends the import, not its result; case-only changes are kept.
TEST_F(IniImportTest, EveryKeyBecomesAPropertyOfItsSection) {
    APropertyManagerIniImport importer(manager_);
    EXPECT_TRUE(importer.IsValid());
    EXPECT_TRUE(importer.Import(Ini("top=lost\n[Net]\nPort = 80 ; web\n[Net\\Proxy]\nPort=8080\n"
                                    "[/Abs/Path]\n# note\nx=1\n[" +
                                    std::string(300, 'x') + "]\nk=2\n[B]\nk=3\n")));
    Ini("[S]\ncolor=red\nsize=3\n");
    ASSERT_TRUE(importer.Import(PString(name_.c_str()))); // found beside the program
    ASSERT_TRUE(manager_.SetProperty(PString("/S/color"), PString("RED!")));
    ASSERT_TRUE(manager_.SetProperty(PString("/S/color"), PString("RED")));
    ASSERT_TRUE(manager_.SetProperty(PString("/S/size"), PString("4")));
    EXPECT_TRUE(importer.Import(files_.back()));
    ExpectStored({{"Net", "Port", "80"},
                  {"Net\\Proxy", "Port", "8080"},
                  {"Abs\\Path", "x", "1"},
                  {"", "top", "<missing>"},
                  {"B", "k", "<missing>"},
                  {"S", "color", "RED"},
                  {"S", "size", "3"}});
}

// Keys before a Name go to the map alone; the name stays for the next file.
TEST_F(IniImportTest, PluginKeysAreFiledUnderThePluginsName) {
    APluginIniImport importer(manager_);
    EXPECT_TRUE(importer.Import(
        Ini("[General]\nEarly=1\nName=Viewer\nLate=2\n[Display]\nColor=red\n[properties/ui]\n"
            "Size=3\n")));
    EXPECT_TRUE(importer.Import(Ini("[Other]\nk=v\n")));
    ExpectStored({{"properties\\map\\General", "Early", "1"},
                  {"properties\\map\\Viewer\\General", "Late", "2"},
                  {"properties\\map\\Viewer\\Display", "Color", "red"},
                  {"properties\\ui", "Size", "3"},
                  {"properties\\map\\General", "Name", "<missing>"},
                  {"properties\\map\\Viewer\\General", "Name", "<missing>"},
                  {"properties\\map\\Viewer\\Other", "k", "v"}});
}

TEST_F(IniImportTest, NothingIsWrittenWithoutARootOrAFile) {
    APropertyManager rootless;
    APropertyManagerIniImport plain(rootless), rooted(manager_);
    APluginIniImport plugin(rootless);
    EXPECT_FALSE(plain.IsValid());
    EXPECT_FALSE(plain.Import(Ini("[S]\nk=v\n")));
    EXPECT_FALSE(plugin.Import(files_.back()));
    EXPECT_FALSE(rooted.Import(AFileSpec(PString("redudi_no_such_file.ini"))));
    EXPECT_FALSE(rooted.Import(PString("redudi_no_such_file.ini")));
    EXPECT_FALSE(REDudi::testing::KeyExists(branch_.Key()));
    // Only a call without any text is refused; a missing value is empty.
    EXPECT_FALSE(rooted.EnumerateKeyValuePairsUserCallback(nullptr, nullptr, nullptr));
    EXPECT_FALSE(plugin.EnumerateKeyValuePairsUserCallback(nullptr, nullptr, nullptr));
    EXPECT_TRUE(rooted.EnumerateKeyValuePairsUserCallback("S", "k", nullptr));
    EXPECT_EQ("", branch_.Stored("S", "k"));
}

} // namespace
