#include "ini_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

class IniModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Parse(ini, "[net]\nHost=first\nhost=shadowed\nPort=80\nNeg=-1\nText=abc\n"
                   "[Net]\nHost=second\n[Network]\nk=v\n[Net\\Proxy]\nk=v\n"
                   "[Tools\\Net\\Proxy]\n[Tools\\Net]\n[Tools\\Disk]\n[Toolsmith\\X]\n");
    }
    IniFile ini;
};

TEST_F(IniModelTest, LookupsIgnoreCaseAndTakeTheFirstMatch) {
    struct Row {
        const char* section;
        const char* key;
        const char* expected;
    } rows[] = {{"NET", "HOST", "first"}, {"net", "host", "first"},  {"Network", "K", "v"},
                {"net", "Port", "80"},    {"Nett", "Host", "dflt"}, {"net", "Hos", "dflt"},
                {"net", "Hostt", "dflt"}, {nullptr, "Host", "dflt"}, {"net", nullptr, "dflt"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.section ? row.section : "(null)") + "/" +
                     (row.key ? row.key : "(null)"));
        char buffer[32];
        EXPECT_EQ(buffer, ini.GetString(row.section, row.key, "dflt", buffer, sizeof buffer));
        EXPECT_STREQ(row.expected, buffer);
    }
    EXPECT_THROW(ini.FindSection("missing"), IniFile::INIexception);
    EXPECT_THROW(ini.FindKey("missing", ini.FindSection("net")), IniFile::INIexception);
    EXPECT_STREQ("Can't find profile string", IniFile::INIexception().what());
    EXPECT_STREQ("Net\\Proxy", ini.FindSection("net\\proxy").name);
}

TEST_F(IniModelTest, GetStringCopiesLikeStrncpy) {
    struct Row {
        unsigned int size;
        const char* expected; // bytes written, then the untouched sentinels
        size_t compared;
    } rows[] = {{3, "fir##", 5}, {5, "first", 5}, {6, "first\0#", 7}, {0, "#####", 5}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        ini.GetString("net", "host", "", buffer, row.size);
        EXPECT_EQ(0, std::memcmp(row.expected, buffer, row.compared));
    }
}

TEST_F(IniModelTest, LengthPrefixedGetStringKeeps255AndSizeMinusOne) {
    std::string longValue(300, 'x');
    ASSERT_TRUE(ini.WriteString("net", "Long", longValue.c_str()));
    struct Row {
        const char* key;
        unsigned int size;
        unsigned int length;
    } rows[] = {{"Long", 1000, 255}, {"Long", 256, 255}, {"Long", 255, 254}, {"Long", 10, 9},
                {"Long", 1, 0},      {"Port", 3, 2},     {"Port", 4, 2},     {"Nothing", 4, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " " + std::to_string(row.size));
        std::vector<unsigned char> buffer(row.size + 1, '#');
        ini.GetString("net", row.key, "dflt", buffer.data(), row.size);
        EXPECT_EQ(row.length, buffer[0]);
        EXPECT_EQ('#', buffer[row.length + 1]); // no NUL after the characters
    }
}

TEST_F(IniModelTest, GetIntFollowsAtolAndDefaults) {
    struct Row {
        const char* key;
        unsigned int expected;
    } rows[] = {{"Port", 80}, {"Neg", 0xFFFFFFFFu}, {"Text", 0}, {"Missing", 7}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.expected, ini.GetInt("net", row.key, 7));
    }
    EXPECT_EQ(7u, ini.GetInt("nosuch", "Port", 7));
}

TEST_F(IniModelTest, WritesReplaceFirstMatchOrAppend) {
    IniFile fresh;
    EXPECT_TRUE(fresh.WriteString("A", "k", "1"));
    EXPECT_TRUE(fresh.WriteString("a", "K", "2"));     // replaces, keeps the stored name
    EXPECT_TRUE(fresh.WriteString("B", "", "ignored")); // only ensures the section
    EXPECT_TRUE(fresh.WriteInt("New", "Zero", 0));
    EXPECT_TRUE(fresh.WriteInt("New", "Max", 4294967295u));
    EXPECT_FALSE(fresh.WriteString(nullptr, "k", "v"));
    EXPECT_EQ("[A]\nk=2\n\n[B]\n\n[New]\nZero=0\nMax=4294967295\n\n", WrittenForm(fresh));
}

TEST_F(IniModelTest, DeleteSectionRemovesEveryCaseSensitivePrefixMatch) {
    EXPECT_TRUE(ini.DeleteSection("Net"));
    EXPECT_FALSE(ini.DeleteSection("Net"));
    EXPECT_FALSE(ini.DeleteSection(nullptr));
    std::list<PString> names;
    for (const IniFile::section& s : ini.Sections())
        names.emplace_back(s.name);
    EXPECT_EQ((std::list<PString>{"net", "Tools\\Net\\Proxy", "Tools\\Net", "Tools\\Disk",
                                  "Toolsmith\\X"}),
              names);
}

TEST_F(IniModelTest, DeleteKeyFallsBackToSubSections) {
    struct Row {
        const char* section;
        const char* key;
        bool result;
        const char* gone;      // a section or key that must have disappeared
        const char* goneKey;
    } rows[] = {
        {"NET", "HOST", true, "net", "first"},  // first Host removed, shadowed one shows
        {"Net", "Proxy", true, "Net\\Proxy", nullptr},
        {"Tools", "Net", true, "Tools\\Net\\Proxy", nullptr},
        {"nosuch", "k", false, nullptr, nullptr},
        {"Network", "", true, "Network", nullptr},
        {"Net", "Nothing", false, nullptr, nullptr},
    };
    Parse(ini, WrittenForm(ini) + "[Tools]\n");
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key);
        EXPECT_EQ(row.result, ini.DeleteKey(row.section, row.key));
        if (row.gone != nullptr && row.goneKey == nullptr) {
            EXPECT_THROW(ini.FindSection(row.gone), IniFile::INIexception);
        }
        if (row.goneKey != nullptr) {
            char buffer[16];
            EXPECT_STREQ("shadowed", ini.GetString(row.gone, "host", "", buffer, sizeof buffer));
        }
    }
}

TEST_F(IniModelTest, SectionKeyListsAndSubKeys) {
    std::list<PString> keys{"stale"};
    EXPECT_TRUE(ini.GetSection("NET", keys));
    EXPECT_EQ((std::list<PString>{"Host", "host", "Port", "Neg", "Text"}), keys);
    EXPECT_FALSE(ini.GetPropertyList("nosuch", keys));
    EXPECT_TRUE(keys.empty());

    std::vector<char*> copies(1, nullptr);
    EXPECT_FALSE(ini.GetSection("nosuch", copies));
    EXPECT_EQ(1u, copies.size());
    ASSERT_TRUE(ini.GetSection("NETWORK", copies));
    ASSERT_EQ(1u, copies.size());
    EXPECT_STREQ("k", copies[0]);
    delete[] copies[0];

    std::list<PString> subKeys{"kept"};
    EXPECT_TRUE(ini.GetSubKeyList("Tools", subKeys));
    // Toolsmith\X begins with Tools too: the parent is a plain text prefix.
    EXPECT_EQ((std::list<PString>{"kept", "Disk", "Net", "X"}), subKeys);
    subKeys.clear();
    EXPECT_TRUE(ini.GetSubKeyList("Tools\\Net", subKeys));
    EXPECT_EQ((std::list<PString>{"Proxy"}), subKeys);
    subKeys.clear();
    EXPECT_TRUE(ini.GetSubKeyList("tools", subKeys));
    EXPECT_TRUE(subKeys.empty());
}

class CountingEnumerator : public IIniFileEnumerator {
public:
    explicit CountingEnumerator(int stopAt) : stopAt_(stopAt) {}
    bool EnumerateKeyValuePairsUserCallback(const char* section, const char* key,
                                            const char* value) override {
        seen += std::string(section) + "/" + key + "=" + value + ";";
        return ++calls != stopAt_;
    }
    int calls = 0;
    std::string seen;

private:
    int stopAt_;
};

TEST_F(IniModelTest, EnumerationVisitsInFileOrderAndStops) {
    IniFile small;
    Parse(small, "[a]\nx=1\ny=2\n[b]\nz=3\n");
    struct Row {
        int stopAt;
        int calls;
        bool stopped;
    } rows[] = {{2, 2, true}, {3, 3, true}, {4, 3, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stopAt);
        CountingEnumerator enumerator(row.stopAt);
        bool stopped = !row.stopped;
        EXPECT_TRUE(small.EnumerateKeyValuePairs(&enumerator, stopped));
        EXPECT_EQ(row.calls, enumerator.calls);
        EXPECT_EQ(row.stopped, stopped);
    }
    CountingEnumerator all(0);
    bool allStopped = true;
    small.EnumerateKeyValuePairs(&all, allStopped);
    EXPECT_EQ("a/x=1;a/y=2;b/z=3;", all.seen);
    bool stopped = true;
    EXPECT_FALSE(small.EnumerateKeyValuePairs(nullptr, stopped));
    EXPECT_FALSE(stopped);
}

// Many sections and long sections take the indexed lookups; they must find
// the same first match as a scan of the lists.
TEST_F(IniModelTest, LargeFilesFindTheFirstOfDuplicates) {
    std::string text;
    for (int s = 0; s < 300; ++s) {
        text += "[S" + std::to_string(s % 200) + "]\n";
        for (int k = 0; k < 20; ++k)
            text += "K" + std::to_string(k % 15) + "=" + std::to_string(s) + "." +
                    std::to_string(k) + "\n";
    }
    IniFile big;
    Parse(big, text);
    char buffer[32];
    EXPECT_STREQ("7.3", big.GetString("s7", "k3", "", buffer, sizeof buffer));
    EXPECT_STREQ("50.14", big.GetString("s50", "K14", "", buffer, sizeof buffer));
    EXPECT_STREQ("", big.GetString("S250", "K1", "", buffer, sizeof buffer));
    EXPECT_STREQ("199.0", big.GetString("s199", "K0", "", buffer, sizeof buffer));
    ASSERT_TRUE(big.DeleteKey("S7", "K3"));
    EXPECT_STREQ("7.18", big.GetString("s7", "k3", "", buffer, sizeof buffer));
    ASSERT_TRUE(big.WriteString("S7", "Knew", "n"));
    EXPECT_STREQ("n", big.GetString("s7", "KNEW", "", buffer, sizeof buffer));
    ASSERT_TRUE(big.DeleteSection("S7"));
    EXPECT_STREQ("x", big.GetString("s7", "k3", "x", buffer, sizeof buffer));
    EXPECT_STREQ("x", big.GetString("s75", "k3", "x", buffer, sizeof buffer)); // prefix
    EXPECT_STREQ("8.3", big.GetString("s8", "k3", "x", buffer, sizeof buffer));
}

} // namespace
