// INI files imported into Wine's real registry, read back raw.
#include "win32/registry_test_root.h"

#include <REDudi/config.h>
#include <REDudi/files.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

using namespace REDudi;
using REDudi::testing::KeyExists;
using REDudi::testing::RawValue;
using REDudi::testing::ReadRawValue;
using REDudi::testing::RegistryTestRoot;

namespace {

// An INI file in the temporary folder, removed with the object.
class IniText {
public:
    IniText(const std::string& tag, const std::string& text) {
        spec_.SetToTemporaryDirectory();
        spec_ +=
            PString(("redudi_import_" + tag + "_" + std::to_string(GetCurrentProcessId()) + ".ini")
                        .c_str());
        std::ofstream(spec_.GetFullPath().c_str(), std::ios::binary) << text;
    }
    ~IniText() { DeleteFileA(spec_.GetFullPath().c_str()); }

    const AFileSpec& Spec() const { return spec_; }

private:
    AFileSpec spec_;
};

class IniImportTest : public ::testing::Test {
protected:
    IniImportTest() : branch_("imp"), manager_(PString(branch_.Root().c_str())) {}

    std::string Stored(const std::string& below, const std::string& name) const {
        RawValue raw =
            ReadRawValue(below.empty() ? branch_.Key() : branch_.Key() + "\\" + below, name);
        return raw.found ? raw.bytes : "<missing>";
    }

    RegistryTestRoot branch_;
    APropertyManager manager_;
};

struct Expected {
    const char* key;
    const char* name;
    const char* value;
};

TEST_F(IniImportTest, EveryKeyBecomesAPropertyOfItsSection) {
    IniText ini("plain", "top=lost\n"
                         "[Net]\nPort = 80 ; web\nHost=example\n"
                         "[Net\\Proxy]\nPort=8080\n"
                         "[/Abs/Path]\n# note\nx=1\n");
    APropertyManagerIniImport importer(manager_);
    EXPECT_TRUE(importer.IsValid());
    EXPECT_TRUE(importer.Import(ini.Spec()));
    Expected cases[] = {
        {"Net", "Port", "80"},   {"Net", "Host", "example"}, {"Net\\Proxy", "Port", "8080"},
        {"Abs\\Path", "x", "1"}, {"", "top", "<missing>"},
    };
    for (const Expected& c : cases)
        EXPECT_EQ(c.value, Stored(c.key, c.name)) << c.key << " " << c.name;
}

TEST_F(IniImportTest, PluginKeysAreFiledUnderThePluginsName) {
    IniText ini("plugin", "[General]\nEarly=1\nName=Viewer\nLate=2\n"
                          "[Display]\nColor=red\n"
                          "[properties/ui]\nSize=3\n"
                          "[/properties/abs]\nA=4\n"
                          "[myproperties]\nM=5\n");
    APluginIniImport importer(manager_);
    EXPECT_TRUE(importer.Import(ini.Spec()));
    Expected cases[] = {
        {"properties\\map\\General", "Early", "1"},
        {"properties\\map\\Viewer\\General", "Late", "2"},
        {"properties\\map\\Viewer\\Display", "Color", "red"},
        {"properties\\ui", "Size", "3"},
        {"properties\\abs", "A", "4"},
        {"properties\\map\\Viewer\\myproperties", "M", "5"},
        {"properties\\map\\General", "Name", "<missing>"},
        {"properties\\map\\Viewer\\General", "Name", "<missing>"},
    };
    for (const Expected& c : cases)
        EXPECT_EQ(c.value, Stored(c.key, c.name)) << c.key << " " << c.name;

    // The name stays for the next file that does not give one.
    IniText next("plugin2", "[Other]\nk=v\n");
    EXPECT_TRUE(importer.Import(next.Spec()));
    EXPECT_EQ("v", Stored("properties\\map\\Viewer\\Other", "k"));
}

TEST_F(IniImportTest, NothingIsWrittenWithoutARootOrAFile) {
    IniText ini("noroot", "[S]\nk=v\n");
    APropertyManager rootless;
    APropertyManagerIniImport plain(rootless);
    APluginIniImport plugin(rootless);
    EXPECT_FALSE(plain.IsValid());
    EXPECT_FALSE(plain.Import(ini.Spec()));
    EXPECT_FALSE(plugin.Import(ini.Spec()));

    APropertyManagerIniImport rooted(manager_);
    AFileSpec missing;
    missing.SetToTemporaryDirectory();
    missing += PString("redudi_no_such_file.ini");
    EXPECT_FALSE(rooted.Import(missing));
    EXPECT_FALSE(rooted.Import(PString("redudi_no_such_file.ini")));
    EXPECT_FALSE(KeyExists(branch_.Key()));

    // Only a call without any text is refused; a missing value is empty.
    EXPECT_FALSE(rooted.EnumerateKeyValuePairsUserCallback(nullptr, nullptr, nullptr));
    EXPECT_FALSE(plugin.EnumerateKeyValuePairsUserCallback(nullptr, nullptr, nullptr));
    EXPECT_TRUE(rooted.EnumerateKeyValuePairsUserCallback("S", "k", nullptr));
    EXPECT_EQ("", Stored("S", "k"));
}

TEST_F(IniImportTest, AFailedWriteEndsTheImportButNotItsResult) {
    IniText ini("fail", "[A]\nk=1\n[" + std::string(300, 'x') + "]\nk=2\n[B]\nk=3\n");
    APropertyManagerIniImport importer(manager_);
    EXPECT_TRUE(importer.Import(ini.Spec()));
    EXPECT_EQ("1", Stored("A", "k"));
    EXPECT_EQ("<missing>", Stored("B", "k"));
}

TEST_F(IniImportTest, ASecondImportLeavesValuesThatDifferOnlyInCase) {
    IniText ini("twice", "[S]\ncolor=red\nsize=3\n");
    APropertyManagerIniImport importer(manager_);
    ASSERT_TRUE(importer.Import(ini.Spec()));
    ASSERT_TRUE(manager_.SetProperty(PString("/S/color"), PString("RED!")));
    ASSERT_TRUE(manager_.SetProperty(PString("/S/color"), PString("RED")));
    ASSERT_TRUE(manager_.SetProperty(PString("/S/size"), PString("4")));
    EXPECT_TRUE(importer.Import(ini.Spec()));
    EXPECT_EQ("RED", Stored("S", "color"));
    EXPECT_EQ("3", Stored("S", "size"));
}

TEST_F(IniImportTest, RelativeNamesAreFoundBesideTheProgram) {
    std::string name = "redudi_import_beside_" + std::to_string(GetCurrentProcessId()) + ".ini";
    AFileSpec beside(PString(name.c_str()));
    std::ofstream(beside.GetFullPath().c_str(), std::ios::binary) << "[R]\nk=v\n";
    APropertyManagerIniImport importer(manager_);
    EXPECT_TRUE(importer.Import(PString(name.c_str())));
    DeleteFileA(beside.GetFullPath().c_str());
    EXPECT_EQ("v", Stored("R", "k"));
}

} // namespace
