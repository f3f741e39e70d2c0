// The INI model: parsing, lookups, writes and deletes.
#include "ini_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace REDudi;

namespace {

struct ParseRow {
    const char* what;
    std::string text;
    std::string expected; // the written form of the parsed model
};

const ParseRow kParseRows[] = {
    {"plain", "[a]\nk=v\n", "[a]\nk=v\n\n"},
    {"comments and blank lines dropped", "; top\n# top\n\n[a]\n  ; c\n\t# c\n\nk = v\n",
     "[a]\nk=v\n\n"},
    {"keys before the first section dropped", "k=v\n[a]\n", "[a]\n\n"},
    {"missing final newline", "[a]\nk=v", "[a]\nk=v\n\n"},
    {"CRLF line ends", "[a]\r\nk=v\r\nj=\r\n", "[a]\nk=v\nj=\n\n"},
    {"header name kept verbatim, rest of line ignored", "  [ my sec ] k=v\nj=1\n",
     "[ my sec ]\nj=1\n\n"},
    {"unterminated header skipped with the keys after it", "[a]\nx=1\n[b\ny=2\n[c]\nz=3\n",
     "[a]\nx=1\n\n[c]\nz=3\n\n"},
    {"line starting with = skipped, line without = ignored", "[a]\n=v\nnoequals\nk=v\n",
     "[a]\nk=v\n\n"},
    {"value ends at a comment mark", "[a]\nPath = D:\\Temp ; comment\nPort = 80 #web\n",
     "[a]\nPath=D:\\Temp\nPort=80\n\n"},
    {"comment mark before = hides the key", "[a]\nx#y=1\nk;=2\nr\rs=3\n", "[a]\n\n"},
    {"every C white space skipped", "\t\v\f\r [a]\n\t\v\f\r k \t\v\f= \t\v\f1\t\v\f\r\n",
     "[a]\nk=1\n\n"},
    {"other control characters are text", "\x08[a]\n[b]\n\x0e=1\n", "[b]\n\x0e=1\n\n"},
    {"inner spaces of names and values kept", "[a]\n my key = my value \n",
     "[a]\nmy key=my value\n\n"},
    {"duplicates kept in file order", "[net]\nk=1\nK=2\n[Net]\nk=3\n",
     "[net]\nk=1\nK=2\n\n[Net]\nk=3\n\n"},
    {"empty section name", "[]\nk=v\n", "[]\nk=v\n\n"},
    {"text after NUL on a line ignored", std::string("[a]\nk=v\0x=9\nj=2\n", 16),
     "[a]\nk=v\nj=2\n\n"},
    {"NUL at a line start", std::string("[a]\n\0k=v\nj=2\n", 13), "[a]\nj=2\n\n"},
    {"UTF-16 text holds nothing readable", std::string("\xFF\xFE[\0a\0]\0\n\0k\0=\0v\0\n\0", 18),
     ""},
    {"binary bytes taken as text", "\x01\x02\n[\xff]\n\xfe=\xfd\n", "[\xff]\n\xfe=\xfd\n\n"},
    // Lines are read 1022 characters at a time; the rest is the next line.
    {"key line of 1022 characters is one line", "[a]\nk=" + std::string(1019, 'v') + "y=1\n",
     "[a]\nk=" + std::string(1019, 'v') + "y\n\n"},
    {"key line longer than 1022 characters continues", "[a]\nk=" + std::string(1020, 'v') + "y=1\n",
     "[a]\nk=" + std::string(1020, 'v') + "\ny=1\n\n"},
    {"comment longer than 1022 characters skipped whole",
     "[a]\n;" + std::string(1100, 'c') + "x=1\n=" + std::string(1100, 'c') + "y=2\nk=v\n",
     "[a]\nk=v\n\n"},
    {"header within 1022 characters", "[" + std::string(1020, 's') + "]\nk=v\n",
     "[" + std::string(1020, 's') + "]\nk=v\n\n"},
    {"header ] beyond 1022 characters", "[" + std::string(1021, 's') + "]\nk=v\n", ""},
};

TEST(IniParseTest, TextsGiveTheirSectionsAndKeys) {
    for (const ParseRow& row : kParseRows) {
        IniFile ini;
        Parse(ini, row.text);
        EXPECT_EQ(row.expected, WrittenForm(ini)) << row.what;
    }
    // The stream reader forwards to the memory one; a written file reads back.
    IniFile written, read;
    Parse(written, "[net]\nk=1\nK=2\n[Net]\n[]\nk=3\n");
    FILE* stream = std::tmpfile();
    ASSERT_NE(nullptr, stream);
    EXPECT_TRUE(written.WriteSections(stream));
    std::rewind(stream);
    EXPECT_TRUE(read.ParseINIFile(stream));
    std::fclose(stream);
    EXPECT_EQ("[net]\nk=1\nK=2\n\n[Net]\n\n[]\nk=3\n\n", WrittenForm(read));
}

class IniModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Parse(ini, "[net]\nHost=first\nhost=shadowed\nPort=80\nNeg=-1\nText=abc\n"
                   "[Net]\nHost=second\n[Network]\nk=v\n[Net\\Proxy]\nk=v\n"
                   "[Tools\\Net\\Proxy]\n[Tools\\Net]\n[Tools\\Disk]\n[Toolsmith\\X]\n");
    }
    std::string Get(const char* section, const char* key) {
        char buffer[32];
        EXPECT_EQ(buffer, ini.GetString(section, key, "dflt", buffer, sizeof buffer));
        return buffer;
    }
    IniFile ini;
};

TEST_F(IniModelTest, LookupsIgnoreCaseAndTakeTheFirstMatch) {
    const char* rows[][3] = {{"NET", "HOST", "first"},  {"net", "Port", "80"},
                             {"Network", "K", "v"},     {"Nett", "Host", "dflt"},
                             {"net", "Hos", "dflt"},    {"net", "Hostt", "dflt"},
                             {nullptr, "Host", "dflt"}, {"net", nullptr, "dflt"}};
    for (auto& row : rows)
        EXPECT_EQ(row[2], Get(row[0], row[1]))
            << (row[0] ? row[0] : "-") << "/" << (row[1] ? row[1] : "-");
    EXPECT_THROW(ini.FindSection("missing"), IniFile::INIexception);
    EXPECT_THROW(ini.FindKey("missing", ini.FindSection("net")), IniFile::INIexception);
    EXPECT_STREQ("Can't find profile string", IniFile::INIexception().what());
    EXPECT_STREQ("Net\\Proxy", ini.FindSection("net\\proxy").name);
    const std::pair<const char*, unsigned int> numbers[] = {
        {"Port", 80}, {"Neg", 0xFFFFFFFFu}, {"Text", 0}, {"Missing", 7}};
    for (const auto& row : numbers)
        EXPECT_EQ(row.second, ini.GetInt("net", row.first, 7)) << row.first;
    EXPECT_EQ(7u, ini.GetInt("nosuch", "Port", 7));
}

// Text copies like strncpy; the length-prefixed form keeps <= 255 and size - 1.
TEST_F(IniModelTest, GetStringKeepsItsLimits) {
    // Each size and the bytes written, then the untouched sentinels.
    const std::pair<unsigned int, std::string> rows[] = {
        {3, "fir#####"}, {5, "first###"}, {6, std::string("first\0##", 8)}, {0, "########"}};
    for (const auto& row : rows) {
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        ini.GetString("net", "host", "", buffer, row.first);
        EXPECT_EQ(row.second, std::string(buffer, 8)) << row.first;
    }
    ASSERT_TRUE(ini.WriteString("net", "Long", std::string(300, 'x').c_str()));
    // Key, size, length kept.
    const std::tuple<const char*, unsigned int, unsigned int> prefixed[] = {
        {"Long", 1000, 255}, {"Long", 256, 255}, {"Long", 255, 254}, {"Long", 1, 0},
        {"Port", 3, 2},      {"Port", 4, 2},     {"Nothing", 4, 3}};
    for (const auto& row : prefixed) {
        SCOPED_TRACE(std::string(std::get<0>(row)) + " " + std::to_string(std::get<1>(row)));
        std::vector<unsigned char> buffer(std::get<1>(row) + 1, '#');
        ini.GetString("net", std::get<0>(row), "dflt", buffer.data(), std::get<1>(row));
        EXPECT_EQ(std::get<2>(row), buffer[0]);
        EXPECT_EQ('#', buffer[std::get<2>(row) + 1]);
    }
}

TEST_F(IniModelTest, WritesReplaceFirstMatchOrAppendAndDeletesTakePrefixes) {
    IniFile fresh;
    EXPECT_TRUE(fresh.WriteString("A", "k", "1"));
    EXPECT_TRUE(fresh.WriteString("a", "K", "2"));      // replaces, keeps the stored name
    EXPECT_TRUE(fresh.WriteString("B", "", "ignored")); // only ensures the section
    EXPECT_TRUE(fresh.WriteInt("New", "Max", 4294967295u));
    EXPECT_FALSE(fresh.WriteString(nullptr, "k", "v"));
    EXPECT_EQ("[A]\nk=2\n\n[B]\n\n[New]\nMax=4294967295\n\n", WrittenForm(fresh));
    // DeleteSection removes every case-sensitive prefix match.
    EXPECT_TRUE(ini.DeleteSection("Net"));
    EXPECT_FALSE(ini.DeleteSection("Net"));
    EXPECT_FALSE(ini.DeleteSection(nullptr));
    std::string names;
    for (const IniFile::section& s : ini.Sections())
        names += std::string(s.name) + ";";
    EXPECT_EQ("net;Tools\\Net\\Proxy;Tools\\Net;Tools\\Disk;Toolsmith\\X;", names);
}

// A key that is not found is taken as the name of a sub-section.
TEST_F(IniModelTest, DeleteKeyFallsBackToSubSections) {
    Parse(ini, WrittenForm(ini) + "[Tools]\n");
    // Section, key, and a section that must have disappeared ("-": refused).
    const char* rows[][3] = {{"NET", "HOST", ""},        {"Net", "Proxy", "Net\\Proxy"},
                             {"nosuch", "k", "-"},       {"Tools", "Net", "Tools\\Net\\Proxy"},
                             {"Network", "", "Network"}, {"Net", "Nothing", "-"}};
    for (auto& row : rows) {
        EXPECT_EQ(std::string(row[2]) != "-", ini.DeleteKey(row[0], row[1])) << row[0] << row[1];
        if (std::string(row[2]).size() > 1) {
            EXPECT_THROW(ini.FindSection(row[2]), IniFile::INIexception);
        }
    }
    EXPECT_EQ("shadowed", Get("net", "host"));
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
    // Toolsmith\X begins with Tools too: the parent is a plain text prefix.
    auto subKeys = [this](const char* parent) {
        std::list<PString> found{"kept"};
        EXPECT_TRUE(ini.GetSubKeyList(parent, found)) << parent;
        return found;
    };
    EXPECT_EQ((std::list<PString>{"kept", "Disk", "Net", "X"}), subKeys("Tools"));
    EXPECT_EQ((std::list<PString>{"kept", "Proxy"}), subKeys("Tools\\Net"));
    EXPECT_EQ((std::list<PString>{"kept"}), subKeys("tools"));
}

class RecordingEnumerator : public IIniFileEnumerator {
public:
    explicit RecordingEnumerator(int stopAt) : stopAt_(stopAt) {}
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
    // The callback that answers false, and whether that stops the walk.
    for (int stopAt : {2, 3, 4}) {
        RecordingEnumerator enumerator(stopAt);
        bool stopped = stopAt > 3;
        EXPECT_TRUE(small.EnumerateKeyValuePairs(&enumerator, stopped));
        EXPECT_EQ(std::min(stopAt, 3), enumerator.calls) << stopAt;
        EXPECT_EQ(stopAt <= 3, stopped) << stopAt;
        EXPECT_EQ(std::string("a/x=1;a/y=2;b/z=3;").substr(0, 6 * enumerator.calls),
                  enumerator.seen);
    }
    bool stopped = true;
    EXPECT_FALSE(small.EnumerateKeyValuePairs(nullptr, stopped));
    EXPECT_FALSE(stopped);
}

// Large files take the indexed lookups: the same first match as a scan.
TEST_F(IniModelTest, LargeFilesFindTheFirstOfDuplicates) {
    std::string text;
    for (int s = 0; s < 300; ++s) {
        text += "[S" + std::to_string(s % 200) + "]\n";
        for (int k = 0; k < 20; ++k)
            text += "K" + std::to_string(k % 15) + "=" + std::to_string(s) + "." +
                    std::to_string(k) + "\n";
    }
    Parse(ini, text);
    ASSERT_TRUE(ini.DeleteKey("S7", "K3"));
    ASSERT_TRUE(ini.WriteString("S7", "Knew", "n"));
    const char* rows[][3] = {{"s7", "k3", "7.18"},
                             {"s50", "K14", "50.14"},
                             {"S250", "K1", "dflt"},
                             {"s199", "K0", "199.0"},
                             {"s7", "KNEW", "n"}};
    for (auto& row : rows)
        EXPECT_EQ(row[2], Get(row[0], row[1])) << row[0] << "/" << row[1];
    ASSERT_TRUE(ini.DeleteSection("S7"));
    EXPECT_EQ("dflt", Get("s7", "k3"));
    EXPECT_EQ("dflt", Get("s75", "k3")); // a prefix match
    EXPECT_EQ("8.3", Get("s8", "k3"));
    for (int k = 100; k < 140; ++k) // fills the section's table: it must be rebuilt
        ASSERT_TRUE(ini.WriteString("S8", ("K" + std::to_string(k)).c_str(), "w"));
    EXPECT_EQ("w", Get("s8", "k139"));
}

} // namespace
