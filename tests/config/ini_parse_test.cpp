#include "ini_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace REDudi;

namespace {

struct ParseRow {
    const char* what;
    std::string text;
    std::string expected; // the written form of the parsed model
};

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

const ParseRow kParseRows[] = {
    {"plain", "[a]\nk=v\n", "[a]\nk=v\n\n"},
    {"comments and blank lines dropped",
     "; top\n# top\n\n[a]\n  ; c\n\t# c\n\nk = v\n", "[a]\nk=v\n\n"},
    {"keys before the first section dropped", "k=v\n[a]\n", "[a]\n\n"},
    {"missing final newline", "[a]\nk=v", "[a]\nk=v\n\n"},
    {"CRLF line ends", "[a]\r\nk=v\r\nj=\r\n", "[a]\nk=v\nj=\n\n"},
    {"header name kept verbatim, rest of line ignored", "  [ my sec ] k=v\nj=1\n",
     "[ my sec ]\nj=1\n\n"},
    {"unterminated header skipped with the keys after it",
     "[a]\nx=1\n[b\ny=2\n[c]\nz=3\n", "[a]\nx=1\n\n[c]\nz=3\n\n"},
    {"line starting with = skipped, line without = ignored", "[a]\n=v\nnoequals\nk=v\n",
     "[a]\nk=v\n\n"},
    {"value ends at a comment mark", "[a]\nPath = D:\\Temp ; comment\nPort = 80 #web\n",
     "[a]\nPath=D:\\Temp\nPort=80\n\n"},
    {"comment mark before = hides the key", "[a]\nx#y=1\nk;=2\nr\rs=3\n", "[a]\n\n"},
    {"every C white space skipped", "\t\v\f\r [a]\n\t\v\f\r k \t\v\f= \t\v\f1\t\v\f\r\n",
     "[a]\nk=1\n\n"},
    {"other control characters are text", "\x08[a]\n[b]\n\x0e=1\n", "[b]\n\x0e=1\n\n"},
    {"empty and blank values", "[a]\nk=\nj =   \t\n", "[a]\nk=\nj=\n\n"},
    {"inner spaces of names and values kept", "[a]\n my key = my value \n",
     "[a]\nmy key=my value\n\n"},
    {"duplicates kept in file order", "[net]\nk=1\nK=2\n[Net]\nk=3\n",
     "[net]\nk=1\nK=2\n\n[Net]\nk=3\n\n"},
    {"indented header inside a section", "[a]\nk=1\n   [b]\nj=2\n", "[a]\nk=1\n\n[b]\nj=2\n\n"},
    {"empty section name", "[]\nk=v\n", "[]\nk=v\n\n"},
    {"text after NUL on a line ignored", std::string("[a]\nk=v\0x=9\nj=2\n", 16),
     "[a]\nk=v\nj=2\n\n"},
    {"NUL at a line start", std::string("[a]\n\0k=v\nj=2\n", 13), "[a]\nj=2\n\n"},
    {"UTF-16 text holds nothing readable", std::string("\xFF\xFE[\0a\0]\0\n\0k\0=\0v\0\n\0", 18),
     ""},
    {"binary bytes taken as text", "\x01\x02\n[\xff]\n\xfe=\xfd\n", "[\xff]\n\xfe=\xfd\n\n"},
    // Lines are read 1022 characters at a time; the rest is the next line.
    {"key line of 1022 characters is one line", "[a]\nk=" + Repeat('v', 1019) + "y=1\n",
     "[a]\nk=" + Repeat('v', 1019) + "y\n\n"},
    {"key line longer than 1022 characters continues",
     "[a]\nk=" + Repeat('v', 1020) + "y=1\n", "[a]\nk=" + Repeat('v', 1020) + "\ny=1\n\n"},
    {"comment longer than 1022 characters skipped whole",
     "[a]\n;" + Repeat('c', 1100) + "x=1\n=" + Repeat('c', 1100) + "y=2\nk=v\n", "[a]\nk=v\n\n"},
    {"header within 1022 characters", "[" + Repeat('s', 1020) + "]\nk=v\n",
     "[" + Repeat('s', 1020) + "]\nk=v\n\n"},
    {"header ] beyond 1022 characters", "[" + Repeat('s', 1021) + "]\nk=v\n", ""},
};

TEST(IniParseTest, TextsGiveTheirSectionsAndKeys) {
    for (const ParseRow& row : kParseRows) {
        SCOPED_TRACE(row.what);
        IniFile ini;
        Parse(ini, row.text);
        EXPECT_EQ(row.expected, WrittenForm(ini));
    }
}

// The stream reader and the memory reader must agree line for line.
TEST(IniParseTest, StreamParserMatchesMemoryParser) {
    for (const ParseRow& row : kParseRows) {
        SCOPED_TRACE(row.what);
        FILE* stream = std::tmpfile();
        ASSERT_NE(nullptr, stream);
        std::fwrite(row.text.data(), 1, row.text.size(), stream);
        std::rewind(stream);
        IniFile ini;
        EXPECT_TRUE(ini.ParseINIFile(stream));
        std::rewind(stream);
        char line[1024];
        IniFile::section fromStream("s");
        bool header = false;
        while (!header && ini.ReadLine(line, 1023, stream) != nullptr)
            header = line[std::strspn(line, " \t\v\f\r\n")] == '[' && std::strchr(line, ']');
        if (header)
            ini.ParseSection(stream, fromStream);
        std::fclose(stream);
        EXPECT_EQ(row.expected, WrittenForm(ini));
        if (!ini.Sections().empty()) {
            EXPECT_EQ(ini.Sections().front().keys.size(), fromStream.keys.size());
        }
    }
}

TEST(IniParseTest, WrittenFormParsesToTheSameModel) {
    for (const ParseRow& row : kParseRows) {
        SCOPED_TRACE(row.what);
        IniFile first, second;
        Parse(first, row.text);
        FILE* stream = std::tmpfile();
        ASSERT_NE(nullptr, stream);
        EXPECT_TRUE(first.WriteSections(stream));
        std::rewind(stream);
        EXPECT_TRUE(second.ParseINIFile(stream));
        std::fclose(stream);
        EXPECT_EQ(WrittenForm(first), WrittenForm(second));
    }
}

} // namespace
