// The property manager on Wine's registry, checked with raw reads.
#include "win32/child_process.h"
#include "win32/registry_test_root.h"

#include <REDudi/property_manager.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

PString P(const std::string& text) {
    return PString(text.c_str());
}

UString Wide(const std::u16string& text) {
    return UString(UnicodeStdString(text.begin(), text.end()));
}

// The bytes of 16-bit text as the wide registry functions read them.
std::string WideBytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

class PropertyManagerTest : public ::testing::Test {
protected:
    RegistryTestRoot branch_{"pm"};
    APropertyManager manager_{P(branch_.Root())};
};

// Every value is REG_SZ text: narrow without a terminating NUL, wide with one.
TEST_F(PropertyManagerTest, ValuesAreStoredAsText) {
    auto set = [this](auto value) {
        return [this, value](const PString& path) { return manager_.SetProperty(path, value); };
    };
    using namespace std::string_literals;
    struct Row {
        const char* name;
        std::function<bool(const PString&)> write;
        std::u16string stored;
    } rows[] = {
        {"N", set(PString("abc")), u"abc"},
        {"W", set(Wide(u"\u00e9z")), u"\u00e9z\0"s},
        {"T", set(true), u"true"},
        {"I", set(-42), u"-42"},
        {"U", set(4294967295u), u"4294967295"},
        {"H", set(0.5f), u"0.5"},
        {"G", set(1234567.0f), u"1.23457e+06"},
        {"S", set(123456.0f), u"123456"},
        {"L", set("false"), u"false"},
        {"A", set(u"wide"), u"wide\0"s},
        {"B", set(L"wide"), u"wide\0"s},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(row.write(P(std::string("/") + row.name))) << row.name;
        DWORD type = 0;
        EXPECT_EQ(WideBytes(row.stored), ReadRawValue(branch_.Key(), row.name, true, &type))
            << row.name;
        EXPECT_EQ(DWORD(REG_SZ), type) << row.name;
    }
    UString back;
    EXPECT_TRUE(manager_.GetProperty(P("/W"), back));
    EXPECT_EQ(Wide(u"\u00e9z"), back);
    // Text equal ignoring case is left as stored.
    const char* rewrites[][3] = {{"on", "ON", "on"}, {"on", "of", "of"}, {"on", "onn", "onn"},
                                 {"on", "o", "o"},   {"", "", ""},       {"", "x", "x"}};
    for (auto& row : rewrites) {
        branch_.Plant("", "P", row[0]);
        EXPECT_TRUE(manager_.SetProperty(P("/P"), P(row[1])));
        EXPECT_EQ(row[2], branch_.Stored("", "P")) << row[0] << " <- " << row[1];
    }
    branch_.Plant("", "P", "TRUE");
    EXPECT_TRUE(manager_.SetProperty(P("/P"), true));
    EXPECT_EQ("TRUE", branch_.Stored("", "P"));
}

// Row: stored text (null: none); bool/int/uint/float read results, then their outputs.
TEST_F(PropertyManagerTest, ReadsParseTheirTypeOrLeaveOrClearTheirOutput) {
    const char* rows[][2] = {{"true", "1111 1 7 7 7"},  {"True", "1111 0 7 7 7"},
                             {"true ", "1111 0 7 7 7"}, {"12", "1111 0 12 12 12"},
                             {"2.5", "1111 0 2 2 2.5"}, {"-3", "1111 0 -3 4294967293 -3"},
                             {"abc", "1111 0 7 7 7"},   {nullptr, "0000 1 7 7 7"}};
    for (auto& row : rows) {
        manager_.UnsetProperty(P("/V"));
        if (row[0] != nullptr)
            branch_.Plant("", "V", row[0]);
        bool flag = true;
        int number = 7;
        unsigned int count = 7;
        float ratio = 7.0f;
        std::ostringstream got;
        got << manager_.GetProperty(P("/V"), flag) << manager_.GetProperty(P("/V"), number)
            << manager_.GetProperty(P("/V"), count) << manager_.GetProperty(P("/V"), ratio) << " "
            << flag << " " << number << " " << count << " " << ratio;
        EXPECT_EQ(got.str(), row[1]) << (row[0] != nullptr ? row[0] : "<missing>");
    }
    PString text("old");
    UString wide = Wide(u"old");
    EXPECT_FALSE(manager_.GetProperty(P("/Missing"), text));
    EXPECT_FALSE(manager_.GetProperty(P("/No/Such"), wide));
    EXPECT_EQ(PString(""), text);
    EXPECT_TRUE(wide.empty());
    // Values of other types read as their bytes.
    branch_.Plant("", "D", std::string("ABC\0", 4), REG_DWORD);
    branch_.Plant("", "X", "%x%", REG_EXPAND_SZ);
    EXPECT_TRUE(manager_.GetProperty(P("/D"), text));
    EXPECT_EQ(PString("ABC"), text);
    EXPECT_TRUE(manager_.GetProperty(P("/X"), text));
    EXPECT_EQ(PString("%x%"), text);
}

// Names the registry refuses fail without touching other properties.
TEST_F(PropertyManagerTest, UnsetAndDeleteKeyRemoveOnlyWhatTheyName) {
    for (const char* key : {"Tree\\A\\B\\C", "Tree\\A\\D", "Tree", "K", "K"})
        branch_.Plant(key, key[0] == 'K' ? "A" : "v", "1");
    branch_.Plant("K", "B", "2");
    EXPECT_TRUE(manager_.UnsetProperty(P("/K/A")));
    EXPECT_EQ("<missing>", branch_.Stored("K", "A"));
    EXPECT_FALSE(manager_.UnsetProperty(P("/K/A")));
    EXPECT_FALSE(manager_.UnsetProperty(P("/NoKey/A")));
    // A path that already begins with the root, in any case, is not prefixed again.
    EXPECT_TRUE(manager_.UnsetProperty(P("SOFTWARE" + branch_.Root().substr(8) + "/K/B")));
    EXPECT_EQ("<missing>", branch_.Stored("K", "B"));
    EXPECT_FALSE(manager_.DeleteKey(P("")));
    EXPECT_FALSE(manager_.DeleteKey(P("/Missing")));
    EXPECT_TRUE(manager_.DeleteKey(P("/Tree/A/")));
    EXPECT_FALSE(KeyExists(branch_.Key("Tree\\A")));
    EXPECT_EQ("1", branch_.Stored("Tree", "v"));
    for (const std::string& bad :
         {"/" + std::string(300, 'k') + "/v", "/" + std::string(20000, 'n')}) {
        PString back;
        EXPECT_FALSE(manager_.SetProperty(P(bad), PString("x"))) << bad.size();
        EXPECT_FALSE(manager_.GetProperty(P(bad), back)) << bad.size();
    }
    std::list<PString> names;
    EXPECT_TRUE(manager_.GetPropertyList(P("/Tree"), names));
    EXPECT_EQ(std::list<PString>{PString("v")}, names);
}

void CollectName(char* name, void* seen) {
    static_cast<std::vector<std::string>*>(seen)->push_back(name);
}

void CollectNarrow(char* name, unsigned char* data, void* seen) {
    CollectName(&(std::string(name) + "=" + reinterpret_cast<char*>(data))[0], seen);
}

void CollectWide(char* name, const unsigned short* data, void* seen) {
    std::string text = std::string(name) + "=";
    while (*data != 0)
        text.push_back(static_cast<char>(*data++));
    CollectName(&text[0], seen);
}

TEST_F(PropertyManagerTest, EnumerationsReportNamesAndData) {
    branch_.Plant("E\\Sub1", "x", "");
    branch_.Plant("E\\Sub2", "x", "");
    branch_.Plant("E", "alpha", "1");
    branch_.Plant("E", "beta", "");
    ASSERT_TRUE(manager_.SetProperty(P("/E/gamma"), Wide(u"gz")));
    std::vector<std::string> keys, narrow, wide;
    EXPECT_TRUE(manager_.QuerySubKeys(P("/E"), CollectName, &keys));
    EXPECT_EQ((std::vector<std::string>{"Sub1", "Sub2"}), keys);
    EXPECT_TRUE(manager_.QueryProperties(P("/E"), CollectNarrow, &narrow));
    EXPECT_TRUE(manager_.QueryProperties(P("/E"), CollectWide, &wide));
    EXPECT_EQ((std::vector<std::string>{"alpha=1", "beta=", "gamma=gz"}), narrow);
    EXPECT_EQ(narrow, wide);
    std::list<PString> names{PString("stale")};
    EXPECT_TRUE(manager_.GetSubKeyList(P("/E/"), names));
    EXPECT_EQ((std::list<PString>{PString("Sub1"), PString("Sub2")}), names);
    EXPECT_TRUE(manager_.DoesKeyExist(P("/E/Sub1")));
    EXPECT_FALSE(manager_.DoesKeyExist(P("/E/Sub3")));

    // Empty paths, null callbacks and missing keys are refused.
    std::vector<std::string> seen;
    names = {PString("kept")};
    for (bool refused :
         {manager_.QuerySubKeys(P(""), CollectName, &seen),
          manager_.QuerySubKeys(P("/"), nullptr, &seen),
          manager_.QuerySubKeys(P("/Missing"), CollectName, &seen),
          manager_.QueryProperties(P(""), CollectNarrow, &seen),
          manager_.QueryProperties(P("/"), PropertyCallback(nullptr), &seen),
          manager_.QueryProperties(P("/Missing"), CollectNarrow, &seen),
          manager_.QueryProperties(P(""), CollectWide, &seen),
          manager_.GetPropertyList(P(""), names), manager_.GetSubKeyList(P(""), names)})
        EXPECT_FALSE(refused);
    EXPECT_EQ(1u, names.size());
    EXPECT_FALSE(manager_.GetSubKeyList(P("/Missing"), names));
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(seen.empty());
    // The wide enumeration throws for a missing key and a name with no narrow form.
    HKEY key;
    std::string narrowKey = branch_.Key("U");
    std::wstring unicode(narrowKey.begin(), narrowKey.end());
    ASSERT_EQ(0, RegCreateKeyW(HKEY_LOCAL_MACHINE, unicode.c_str(), &key));
    RegSetValueExW(key, L"\u4e00", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    RegCloseKey(key);
    for (const char* path : {"/Missing", "/U"}) {
        try {
            manager_.QueryProperties(P(path), CollectWide, &seen);
            ADD_FAILURE() << path << " must throw in the wide enumeration";
        } catch (int code) {
            EXPECT_EQ(123, code) << path;
        }
    }
    // The property list stops at data beyond 256 bytes; the enumeration too.
    for (std::size_t size : {256, 257}) {
        const std::string key = "L" + std::to_string(size);
        for (const char* name : {"a", "big", "c"})
            branch_.Plant(key, name, name[0] == 'b' ? std::string(size, 'x') : "1");
        std::list<PString> list;
        seen.clear();
        EXPECT_EQ(size == 256, manager_.GetPropertyList(P("/" + key), list));
        EXPECT_TRUE(manager_.QueryProperties(P("/" + key), CollectNarrow, &seen));
        EXPECT_EQ(size == 256 ? 3u : 1u, list.size()) << size;
        EXPECT_EQ(size == 256 ? 3u : 1u, seen.size()) << size;
    }
}

TEST(PropertyManagerFacadeTest, RootsAreTrimmedAndNothingHappensWithoutOne) {
    RegistryTestRoot branch("nr");
    APropertyManager manager;
    std::string path = "/" + branch.Root() + "/v";
    PString text("kept");
    int number = 5;
    std::list<PString> names{PString("kept")};
    for (bool refused :
         {manager.SetProperty(P(path), PString("x")), manager.SetProperty(P(path), 3),
          manager.GetProperty(P(path), text), manager.GetProperty(P(path), number),
          manager.GetPropertyList(P(path), names), manager.DoesKeyExist(P("/Software"))})
        EXPECT_FALSE(refused);
    EXPECT_EQ(PString("kept"), text);
    EXPECT_EQ(5, number);
    EXPECT_EQ(1u, names.size());
    EXPECT_FALSE(KeyExists(branch.Key()));
    // Set roots and copies are trimmed (to nothing: invalid); constructors keep it.
    manager.SetPropertiesRoot(P("//\\\\"));
    EXPECT_FALSE(manager.IsValid());
    APropertyManager built(P("/Software/Example/")), copy(built);
    EXPECT_EQ(PString("/Software/Example/"), built.GetPropertiesRoot());
    EXPECT_EQ(PString("Software/Example"), copy.GetPropertiesRoot());
    manager = built;
    EXPECT_TRUE(manager.IsValid());
    EXPECT_EQ(PString("Software/Example"), manager.GetPropertiesRoot());
    // A path without a slash is the hive's unnamed value.
    manager.SetPropertiesRoot(P("Software/REDudiTests"));
    ASSERT_TRUE(manager.SetProperty(P("NoSlash"), PString("hive")));
    const std::string stored = ReadRawValue("", "");
    RegDeleteValueA(HKEY_LOCAL_MACHINE, "");
    EXPECT_EQ("hive", stored);
}

// Threads and redudi-props imports share the registry: nothing lost, reads whole.
TEST_F(PropertyManagerTest, ThreadsAndProcessesShareTheRegistry) {
    const int kCount = 40;
    std::vector<std::unique_ptr<ChildProcess>> children;
    std::vector<std::string> files;
    for (int p = 0; p < 3; ++p) {
        files.push_back(TemporaryFile("share" + std::to_string(p)) + ".ini");
        std::ofstream ini(files.back(), std::ios::binary);
        for (int i = 0; i < kCount; ++i)
            ini << "[P" << p << "]\n" << i << "=" << i << "\n[Shared]\nv=value-of-P" << p << "\n";
        ini.close();
        children.emplace_back(new ChildProcess);
        ASSERT_TRUE(children.back()->Start("\"" + ExecutableBeside("redudi-props.exe") +
                                           "\" import " + branch_.Root() + " \"" + files.back() +
                                           "\""));
    }
    std::atomic<int> failures(0);
    auto writer = [&](std::string prefix) {
        for (int i = 0; i < kCount; ++i) {
            PString shared;
            failures += !manager_.SetProperty(P("/" + prefix + "/" + std::to_string(i)), i) ||
                        !manager_.SetProperty(P("/Shared/v"), P("value-of-" + prefix)) ||
                        !manager_.GetProperty(P("/Shared/v"), shared) ||
                        shared.compare(0, 9, "value-of-") != 0;
        }
    };
    std::thread other(writer, "T1");
    writer("T0");
    other.join();
    for (int p = 0; p < 3; ++p) {
        DWORD exitCode = 99;
        ASSERT_TRUE(children[p]->Wait(60000, exitCode)) << p;
        EXPECT_EQ(0u, exitCode) << p;
        DeleteFileA(files[p].c_str());
    }
    std::list<PString> keys;
    EXPECT_TRUE(manager_.GetSubKeyList(P("/"), keys));
    EXPECT_EQ((std::list<PString>{"P0", "P1", "P2", "Shared", "T0", "T1"}), keys);
    keys.remove("Shared");
    for (const PString& key : keys) {
        for (int i = 0, value = -1; i < kCount; ++i, value = -1)
            failures +=
                !manager_.GetProperty(P("/" + key + "/" + std::to_string(i)), value) || value != i;
    }
    EXPECT_EQ(0, failures.load());
}

} // namespace
