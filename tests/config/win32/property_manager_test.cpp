// The property manager against Wine's real registry, checked with raw
// registry reads that do not go through the library.
#include "win32/registry_test_root.h"

#include <REDudi/property_manager.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace REDudi;
using REDudi::testing::KeyExists;
using REDudi::testing::RawValue;
using REDudi::testing::ReadRawValue;
using REDudi::testing::ReadRawValueWide;
using REDudi::testing::RegistryTestRoot;
using REDudi::testing::WideBytes;

namespace {

UString Wide(const char16_t* text) {
    UString wide;
    for (; *text != 0; ++text)
        wide.push_back(static_cast<unsigned short>(*text));
    return wide;
}

class PropertyManagerTest : public ::testing::Test {
protected:
    PropertyManagerTest() : branch_("pm"), manager_(PString(branch_.Root().c_str())) {}

    std::string Key(const std::string& below = "") const {
        return below.empty() ? branch_.Key() : branch_.Key() + "\\" + below;
    }
    std::string Stored(const std::string& below, const std::string& name) const {
        RawValue raw = ReadRawValue(Key(below), name);
        return raw.found ? raw.bytes : "<missing>";
    }
    // Stores exactly `text`: a byte other than NUL behind it keeps the
    // registry from counting a terminator of its own.
    void Plant(const std::string& below, const std::string& name, const std::string& text) {
        HKEY key;
        std::string data = text + "x";
        ASSERT_EQ(0, RegCreateKeyA(HKEY_LOCAL_MACHINE, Key(below).c_str(), &key));
        ASSERT_EQ(0, RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data.data()),
                                    static_cast<DWORD>(text.size())));
        RegCloseKey(key);
    }

    RegistryTestRoot branch_;
    APropertyManager manager_;
};

// Every value is REG_SZ; narrow text is stored without a terminating NUL,
// wide text with one. Typed values and literals are stored as their text.
TEST_F(PropertyManagerTest, ValuesAreStoredAsText) {
    struct Case {
        const char* name;
        std::function<bool(const PString&)> write;
        std::u16string text;
        bool terminated;
    } cases[] = {
        {"N", [&](const PString& p) { return manager_.SetProperty(p, PString("abc")); }, u"abc",
         false},
        {"E", [&](const PString& p) { return manager_.SetProperty(p, PString("")); }, u"", false},
        {"W", [&](const PString& p) { return manager_.SetProperty(p, Wide(u"\u00e9z")); },
         u"\u00e9z", true},
        {"T", [&](const PString& p) { return manager_.SetProperty(p, true); }, u"true", false},
        {"F", [&](const PString& p) { return manager_.SetProperty(p, false); }, u"false", false},
        {"I", [&](const PString& p) { return manager_.SetProperty(p, -42); }, u"-42", false},
        {"U", [&](const PString& p) { return manager_.SetProperty(p, 4294967295u); }, u"4294967295",
         false},
        {"H", [&](const PString& p) { return manager_.SetProperty(p, 0.5f); }, u"0.5", false},
        {"G", [&](const PString& p) { return manager_.SetProperty(p, 1234567.0f); }, u"1.23457e+06",
         false},
        {"S", [&](const PString& p) { return manager_.SetProperty(p, 123456.0f); }, u"123456",
         false},
        // Literals store their text, not "true".
        {"L", [&](const PString& p) { return manager_.SetProperty(p, "text"); }, u"text", false},
        {"Z", [&](const PString& p) { return manager_.SetProperty(p, "false"); }, u"false", false},
        {"A", [&](const PString& p) { return manager_.SetProperty(p, u"wide"); }, u"wide", true},
        {"B", [&](const PString& p) { return manager_.SetProperty(p, L"wide"); }, u"wide", true},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.write(PString("/") + c.name)) << c.name;
        RawValue raw = ReadRawValueWide(Key(), c.name);
        std::string bytes = WideBytes(c.text);
        EXPECT_EQ(DWORD(REG_SZ), raw.type) << c.name;
        EXPECT_EQ(c.terminated ? bytes : bytes.substr(0, bytes.size() - 2), raw.bytes) << c.name;
    }
    EXPECT_EQ("abc", Stored("", "N"));
    UString back;
    EXPECT_TRUE(manager_.GetProperty(PString("/W"), back));
    EXPECT_EQ(Wide(u"\u00e9z"), back);
    EXPECT_TRUE(manager_.GetProperty(PString("/N"), back));
    EXPECT_EQ(Wide(u"abc"), back);
}

TEST_F(PropertyManagerTest, TypedReadsParseOrLeaveTheirOutput) {
    struct Case {
        const char* text; // null: no such value
        bool read;
        bool flag;
        int number;
        unsigned int count;
        float ratio;
    } cases[] = {
        {"true", true, true, 7, 7, 7.0f},
        {"True", true, false, 7, 7, 7.0f},
        {"true ", true, false, 7, 7, 7.0f},
        {"12", true, false, 12, 12, 12.0f},
        {"-3", true, false, -3, 4294967293u, -3.0f},
        {"2.5", true, false, 2, 2, 2.5f},
        {"abc", true, false, 7, 7, 7.0f},
        {nullptr, false, true, 7, 7, 7.0f},
    };
    for (const Case& c : cases) {
        std::string row = c.text != nullptr ? c.text : "<missing>";
        manager_.UnsetProperty(PString("/V"));
        if (c.text != nullptr)
            Plant("", "V", c.text);
        bool flag = true;
        int number = 7;
        unsigned int count = 7;
        float ratio = 7.0f;
        EXPECT_EQ(c.read, manager_.GetProperty(PString("/V"), flag)) << row;
        EXPECT_EQ(c.read, manager_.GetProperty(PString("/V"), number)) << row;
        EXPECT_EQ(c.read, manager_.GetProperty(PString("/V"), count)) << row;
        EXPECT_EQ(c.read, manager_.GetProperty(PString("/V"), ratio)) << row;
        EXPECT_EQ(c.flag, flag) << row;
        EXPECT_EQ(c.number, number) << row;
        EXPECT_EQ(c.count, count) << row;
        EXPECT_EQ(c.ratio, ratio) << row;
    }
}

TEST_F(PropertyManagerTest, TextEqualIgnoringCaseIsLeftAsStored) {
    struct Case {
        const char* stored;
        const char* written;
        const char* after;
    } cases[] = {
        {"on", "ON", "on"}, {"on", "On", "on"}, {"on", "onn", "onn"},
        {"on", "o", "o"},   {"", "", ""},       {"", "x", "x"},
    };
    for (const Case& c : cases) {
        Plant("", "P", c.stored);
        EXPECT_TRUE(manager_.SetProperty(PString("/P"), PString(c.written))) << c.written;
        EXPECT_EQ(c.after, Stored("", "P")) << c.stored << " <- " << c.written;
    }
    Plant("", "B", "TRUE");
    EXPECT_TRUE(manager_.SetProperty(PString("/B"), true));
    EXPECT_EQ("TRUE", Stored("", "B"));
}

TEST_F(PropertyManagerTest, TextReadsClearTheirOutputOnFailure) {
    PString text("old");
    EXPECT_FALSE(manager_.GetProperty(PString("/Missing"), text));
    EXPECT_EQ(PString(""), text);
    UString wide = Wide(u"old");
    EXPECT_FALSE(manager_.GetProperty(PString("/No/Such"), wide));
    EXPECT_EQ(Wide(u""), wide);
}

TEST_F(PropertyManagerTest, UnsetRemovesOneValueOnly) {
    Plant("K", "A", "1");
    Plant("K", "B", "2");
    EXPECT_TRUE(manager_.UnsetProperty(PString("/K/A")));
    EXPECT_EQ("<missing>", Stored("K", "A"));
    EXPECT_EQ("2", Stored("K", "B"));
    EXPECT_FALSE(manager_.UnsetProperty(PString("/K/A")));
    EXPECT_FALSE(manager_.UnsetProperty(PString("/NoKey/A")));
    // A path that already begins with the root, in any case, is not prefixed again.
    std::string full = "SOFTWARE" + branch_.Root().substr(8) + "/K/B";
    EXPECT_TRUE(manager_.UnsetProperty(PString(full.c_str())));
    EXPECT_EQ("<missing>", Stored("K", "B"));
}

TEST_F(PropertyManagerTest, DeleteKeyTakesTheWholeBranch) {
    Plant("Tree\\A\\B\\C", "v", "1");
    Plant("Tree\\A\\D", "v", "2");
    Plant("Tree", "v", "3");
    Plant("Other", "v", "4");
    EXPECT_FALSE(manager_.DeleteKey(PString("")));
    EXPECT_FALSE(manager_.DeleteKey(PString("/Missing")));
    EXPECT_TRUE(manager_.DeleteKey(PString("/Tree/A/")));
    EXPECT_FALSE(KeyExists(Key("Tree\\A")));
    EXPECT_EQ("3", Stored("Tree", "v"));
    EXPECT_TRUE(manager_.DeleteKey(PString("/Tree")));
    EXPECT_FALSE(KeyExists(Key("Tree")));
    EXPECT_EQ("4", Stored("Other", "v"));
}

void CollectName(char* name, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(name);
}

void CollectNarrow(char* name, unsigned char* data, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(std::string(name) + "=" +
                                                               reinterpret_cast<char*>(data));
}

void CollectWide(char* name, const unsigned short* data, void* context) {
    std::string text = std::string(name) + "=";
    for (; *data != 0; ++data)
        text.push_back(*data < 0x80 ? static_cast<char>(*data) : '?');
    static_cast<std::vector<std::string>*>(context)->push_back(text);
}

TEST_F(PropertyManagerTest, EnumerationsReportNamesAndData) {
    Plant("E\\Sub1", "x", "");
    Plant("E\\Sub2", "x", "");
    Plant("E", "alpha", "1");
    Plant("E", "beta", "");
    ASSERT_TRUE(manager_.SetProperty(PString("/E/gamma"), Wide(u"gz")));

    std::vector<std::string> keys;
    EXPECT_TRUE(manager_.QuerySubKeys(PString("/E"), CollectName, &keys));
    EXPECT_EQ((std::vector<std::string>{"Sub1", "Sub2"}), keys);

    std::vector<std::string> narrow;
    EXPECT_TRUE(manager_.QueryProperties(PString("/E"), CollectNarrow, &narrow));
    EXPECT_EQ((std::vector<std::string>{"alpha=1", "beta=", "gamma=gz"}), narrow);

    std::vector<std::string> wide;
    EXPECT_TRUE(manager_.QueryProperties(PString("/E"), CollectWide, &wide));
    EXPECT_EQ((std::vector<std::string>{"alpha=1", "beta=", "gamma=gz"}), wide);

    std::list<PString> names{PString("stale")};
    EXPECT_TRUE(manager_.GetPropertyList(PString("/E"), names));
    EXPECT_EQ((std::list<PString>{PString("alpha"), PString("beta"), PString("gamma")}), names);
    EXPECT_TRUE(manager_.GetSubKeyList(PString("/E/"), names));
    EXPECT_EQ((std::list<PString>{PString("Sub1"), PString("Sub2")}), names);

    EXPECT_TRUE(manager_.DoesKeyExist(PString("/E/Sub1")));
    EXPECT_FALSE(manager_.DoesKeyExist(PString("/E/Sub3")));
}

TEST_F(PropertyManagerTest, EnumerationsRefuseEmptyPathsNullCallbacksAndMissingKeys) {
    std::vector<std::string> seen;
    std::list<PString> names{PString("kept")};
    EXPECT_FALSE(manager_.QuerySubKeys(PString(""), CollectName, &seen));
    EXPECT_FALSE(manager_.QuerySubKeys(PString("/"), nullptr, &seen));
    EXPECT_FALSE(manager_.QuerySubKeys(PString("/Missing"), CollectName, &seen));
    EXPECT_FALSE(manager_.QueryProperties(PString(""), CollectNarrow, &seen));
    EXPECT_FALSE(manager_.QueryProperties(PString("/"), PropertyCallback(nullptr), &seen));
    EXPECT_FALSE(manager_.QueryProperties(PString("/Missing"), CollectNarrow, &seen));
    EXPECT_FALSE(manager_.QueryProperties(PString(""), CollectWide, &seen));
    EXPECT_FALSE(manager_.GetPropertyList(PString(""), names));
    EXPECT_FALSE(manager_.GetSubKeyList(PString(""), names));
    EXPECT_EQ(1u, names.size());
    EXPECT_FALSE(manager_.GetSubKeyList(PString("/Missing"), names));
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(seen.empty());
    // The wide enumeration throws for a missing key and for a value name
    // that has no narrow form.
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyW(HKEY_LOCAL_MACHINE,
                               std::wstring(Key().begin(), Key().end()).append(L"\\U").c_str(),
                               &key));
    RegSetValueExW(key, L"\u4e00", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    RegCloseKey(key);
    for (const char* path : {"/Missing", "/U"}) {
        try {
            manager_.QueryProperties(PString(path), CollectWide, &seen);
            ADD_FAILURE() << path << " must throw in the wide enumeration";
        } catch (int code) {
            EXPECT_EQ(123, code) << path;
        }
    }
}

TEST_F(PropertyManagerTest, PropertyListStopsAtDataBeyond256Bytes) {
    struct Case {
        std::size_t size;
        bool complete;
    } cases[] = {{256, true}, {257, false}, {300, false}};
    for (const Case& c : cases) {
        manager_.DeleteKey(PString("/L"));
        Plant("L", "a", "1");
        Plant("L", "big", std::string(c.size, 'x'));
        Plant("L", "c", "3");
        std::list<PString> names;
        EXPECT_EQ(c.complete, manager_.GetPropertyList(PString("/L"), names)) << c.size;
        EXPECT_EQ(c.complete ? 3u : 1u, names.size()) << c.size;
        EXPECT_EQ(PString("a"), names.front()) << c.size;
        std::vector<std::string> seen;
        EXPECT_TRUE(manager_.QueryProperties(PString("/L"), CollectNarrow, &seen)) << c.size;
        EXPECT_EQ(c.complete ? 3u : 1u, seen.size()) << c.size;
    }
}

TEST(PropertyManagerFacadeTest, NothingHappensWithoutARoot) {
    RegistryTestRoot branch("nr");
    APropertyManager manager;
    std::string path = "/" + branch.Root() + "/v";
    PString text("kept");
    int number = 5;
    std::list<PString> names{PString("kept")};
    EXPECT_FALSE(manager.IsValid());
    EXPECT_FALSE(manager.SetProperty(PString(path.c_str()), PString("x")));
    EXPECT_FALSE(manager.SetProperty(PString(path.c_str()), 3));
    EXPECT_FALSE(manager.GetProperty(PString(path.c_str()), text));
    EXPECT_FALSE(manager.GetProperty(PString(path.c_str()), number));
    EXPECT_FALSE(manager.GetPropertyList(PString(path.c_str()), names));
    EXPECT_FALSE(manager.DoesKeyExist(PString("/Software")));
    EXPECT_EQ(PString("kept"), text);
    EXPECT_EQ(5, number);
    EXPECT_EQ(1u, names.size());
    EXPECT_FALSE(KeyExists(branch.Key()));

    struct Case {
        const char* root;
        const char* stored;
        bool valid;
    } cases[] = {
        {"/Software/Example/", "Software/Example", true},
        {"\\\\x\\", "x", true},
        {"//\\\\", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        manager.SetPropertiesRoot(PString(c.root));
        EXPECT_EQ(PString(c.stored), manager.GetPropertiesRoot()) << c.root;
        EXPECT_EQ(c.valid, manager.IsValid()) << c.root;
    }
}

TEST(PropertyManagerFacadeTest, ConstructorKeepsTheRootAndCopiesTrimIt) {
    APropertyManager built(PString("/Software/Example/"));
    EXPECT_EQ(PString("/Software/Example/"), built.GetPropertiesRoot());
    APropertyManager copy(built);
    EXPECT_EQ(PString("Software/Example"), copy.GetPropertiesRoot());
    APropertyManager assigned;
    assigned = built;
    EXPECT_EQ(PString("Software/Example"), assigned.GetPropertiesRoot());
    assigned = assigned;
    EXPECT_EQ(PString("Software/Example"), assigned.GetPropertiesRoot());
}

TEST(PropertyManagerFacadeTest, PathWithoutSlashIsTheHivesUnnamedValue) {
    APropertyManager manager(PString("Software/REDudiTests"));
    ASSERT_TRUE(manager.SetProperty(PString("NoSlash"), PString("hive")));
    RawValue raw = ReadRawValue("", "");
    RegDeleteValueA(HKEY_LOCAL_MACHINE, "");
    EXPECT_EQ("hive", raw.bytes);
}

TEST_F(PropertyManagerTest, BadNamesFailWithoutTouchingOtherProperties) {
    Plant("", "keep", "1");
    struct Case {
        std::string path;
    } cases[] = {
        {"/" + std::string(300, 'k') + "/v"},
        {"/" + std::string(20000, 'n')},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(manager_.SetProperty(PString(c.path.c_str()), PString("x"))) << c.path.size();
        PString back;
        EXPECT_FALSE(manager_.GetProperty(PString(c.path.c_str()), back)) << c.path.size();
    }
    EXPECT_EQ("1", Stored("", "keep"));
    std::list<PString> names;
    EXPECT_TRUE(manager_.GetPropertyList(PString("/"), names));
    EXPECT_EQ(1u, names.size());
}

TEST_F(PropertyManagerTest, ValuesOfOtherTypesReadAsTheirBytes) {
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyA(HKEY_LOCAL_MACHINE, Key().c_str(), &key));
    DWORD number = 0x00434241; // "ABC" then a NUL
    RegSetValueExA(key, "D", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegSetValueExA(key, "X", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%x%"), 3);
    RegCloseKey(key);
    PString text;
    EXPECT_TRUE(manager_.GetProperty(PString("/D"), text));
    EXPECT_EQ(PString("ABC"), text);
    EXPECT_TRUE(manager_.GetProperty(PString("/X"), text));
    EXPECT_EQ(PString("%x%"), text);
}

} // namespace
