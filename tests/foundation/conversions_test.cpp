#include <REDudi/strings.h>

#include <gtest/gtest.h>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace REDudi;

namespace {

using U16 = UnicodeStdString;
using U8 = Utf8StdString;

// ASCII runs around each table row: none (the short-input path), before it ending
// either side of a block's end, after it none or a block's worth (long inputs).
constexpr std::size_t kRunsBefore[] = {0, 1, 7, 8, 15, 16, 17};
constexpr std::size_t kRunsAfter[] = {0, 16};

template <class Text>
Text Around(std::size_t before, const Text& text, std::size_t after) {
    return Text(before, 'a') + text + Text(after, 'z');
}

U8 Times(std::size_t count, const U8& sequence) {
    U8 text;
    for (std::size_t i = 0; i < count; ++i)
        text += sequence;
    return text;
}

// UTF-8 and its UTF-16, or refused (output emptied); each limit from both sides.
struct Utf8Row {
    const char* what;
    U8 in;
    bool ok;
    U16 out;
};

TEST(ConversionTest, Utf8DecodingTable) {
    const Utf8Row rows[] = {
        {"empty", {}, true, {}},
        {"BOM kept, two-byte", {0xEF, 0xBB, 0xBF, 'h', 0xC3, 0xA9}, true, {0xFEFF, 'h', 0xE9}},
        {"lowest two-byte lead C2", {0xC2, 0x80}, true, {0x80}},
        {"overlong C1", {0xC1, 0xBF}, false, {}},
        {"overlong C0", {0xC0, 0x80}, false, {}},
        {"highest two-byte", {0xDF, 0xBF}, true, {0x7FF}},
        {"E0 lowest second A0", {0xE0, 0xA0, 0x80}, true, {0x800}},
        {"E0 second 9F overlong", {0xE0, 0x9F, 0xBF}, false, {}},
        {"E0 highest second BF", {0xE0, 0xBF, 0xBF}, true, {0xFFF}},
        {"ED highest second 9F", {0xED, 0x9F, 0xBF}, true, {0xD7FF}},
        {"ED second A0 surrogate", {0xED, 0xA0, 0x80}, false, {}},
        {"ED BF BF surrogate", {0xED, 0xBF, 0xBF}, false, {}},
        {"ED lowest second 80", {0xED, 0x80, 0x80}, true, {0xD000}},
        {"EE after the surrogates", {0xEE, 0x80, 0x80}, true, {0xE000}},
        {"EF highest", {0xEF, 0xBF, 0xBF}, true, {0xFFFF}},
        {"three-byte second 7F", {0xE2, 0x7F, 0x80}, false, {}},
        {"three-byte second C0", {0xE2, 0xC0, 0x80}, false, {}},
        {"F0 lowest second 90", {0xF0, 0x90, 0x80, 0x80}, true, {0xD800, 0xDC00}},
        {"F0 second 8F overlong", {0xF0, 0x8F, 0xBF, 0xBF}, false, {}},
        {"F0 highest second BF", {0xF0, 0xBF, 0xBF, 0xBF}, true, {0xD8BF, 0xDFFF}},
        {"F4 highest second 8F", {0xF4, 0x8F, 0xBF, 0xBF}, true, {0xDBFF, 0xDFFF}},
        {"F4 second 90 too big", {0xF4, 0x90, 0x80, 0x80}, false, {}},
        {"F4 lowest second 80", {0xF4, 0x80, 0x80, 0x80}, true, {0xDBC0, 0xDC00}},
        {"lead F5", {0xF5, 0x80, 0x80, 0x80}, false, {}},
        {"lead FF", {0xFF}, false, {}},
        {"truncated three-byte", {0xE2, 0x82}, false, {}},
        {"truncated four-byte at end", {'a', 0xF0, 0x9F, 0x98}, false, {}},
        {"lone continuation", {0x80}, false, {}},
        {"continuation missing", {0xC3, 'A'}, false, {}},
        {"bad third byte", {0xE2, 0x82, 0xC0}, false, {}},
        {"bad fourth byte", {0xF0, 0x9F, 0x98, 0x41}, false, {}},
        {"DEL and NUL", {0x7F, 0x00}, true, {0x7F, 0x00}},
        {"nine three-byte", Times(9, {0xE6, 0x97, 0xA5}), true, U16(9, 0x65E5)},
        {"nine two-byte", Times(9, {0xCE, 0xBA}), true, U16(9, 0x3BA)},
        {"ED 9F after three-byte", Times(3, {0xE6, 0x97, 0xA5}) + U8{0xED, 0x9F, 0xBF}, true,
         U16(3, 0x65E5) + U16{0xD7FF}},
        {"ED A0 after three-byte", Times(2, {0xE6, 0x97, 0xA5}) + U8{0xED, 0xA0, 0x80}, false, {}},
        {"E0 9F after three-byte", Times(3, {0xE6, 0x97, 0xA5}) + U8{0xE0, 0x9F, 0xBF}, false, {}},
        {"C1 after two-byte", Times(3, {0xCE, 0xBA}) + U8{0xC1, 0xBF}, false, {}},
        {"ASCII after two-byte lead", Times(3, {0xCE, 0xBA}) + U8{0xCE, 'A'}, false, {}},
    };
    // A row cut short fails on what follows, or at the end; what decoded encodes back.
    for (const Utf8Row& row : rows) {
        for (std::size_t before : kRunsBefore) {
            for (std::size_t after : kRunsAfter) {
                SCOPED_TRACE(std::string(row.what) + " between " + std::to_string(before) +
                             " and " + std::to_string(after));
                const U8 in = Around(before, row.in, after);
                U16 out{'x'};
                U8 back{'x'};
                EXPECT_EQ(row.ok, ConvertUTF8ToUnicode(in, out));
                EXPECT_EQ(row.ok ? Around(before, row.out, after) : U16(), out);
                EXPECT_TRUE(ConvertUnicodeToUTF8(out, back));
                EXPECT_EQ(row.ok ? in : U8(), back);
            }
        }
    }
}

// Unpaired surrogates at each end of both ranges are refused, the output emptied.
TEST(ConversionTest, Utf16SurrogateTable) {
    const struct {
        const char* what;
        U16 in;
        bool ok;
    } rows[] = {
        {"D7FF below the range", {0xD7FF}, true},
        {"lone D800", {0xD800}, false},
        {"lone DBFF", {0xDBFF}, false},
        {"lone DC00", {0xDC00}, false},
        {"lone DFFF", {0xDFFF}, false},
        {"E000 above the range", {0xE000}, true},
        {"D800 DC00", {0xD800, 0xDC00}, true},
        {"DBFF DFFF", {0xDBFF, 0xDFFF}, true},
        {"high then ASCII", {'a', 0xD800, 'b'}, false},
        {"two highs", {0xD800, 0xD800, 0xDC00}, false},
        {"high at the end", {'a', 0xD83D}, false},
        {"low then high", {0xDC00, 0xD800}, false},
        {"high then E000", {0xD800, 0xE000}, false},
        {"two lows", {0xDC00, 0xDC00}, false},
    };
    for (const auto& row : rows) {
        for (std::size_t before : kRunsBefore) {
            for (std::size_t after : kRunsAfter) {
                SCOPED_TRACE(std::string(row.what) + " between " + std::to_string(before) +
                             " and " + std::to_string(after));
                U8 utf8{'x'};
                Utf32StdString utf32(1, 'x');
                EXPECT_EQ(row.ok, ConvertUnicodeToUTF8(Around(before, row.in, after), utf8));
                EXPECT_EQ(row.ok, ConvertUnicodeToUTF32(Around(before, row.in, after), utf32));
                EXPECT_EQ(row.ok, !utf8.empty());
                EXPECT_EQ(row.ok, !utf32.empty());
            }
        }
    }
}

// Characters of every length and both sides of each length's limits, in an
// order that puts pairs across block ends, long enough for the blocks that
// look 64 bytes ahead; a bad sequence or unpaired surrogate put before any
// of them fails the whole text.
TEST(ConversionTest, MixedTextWithFaultBeforeEveryCharacter) {
    const struct {
        U8 utf8;
        U16 wide;
    } chars[] = {{{'a'}, {'a'}},
                 {{0xC2, 0x80}, {0x80}},
                 {{0xDF, 0xBF}, {0x7FF}},
                 {{0xE0, 0xA0, 0x80}, {0x800}},
                 {{0xED, 0x9F, 0xBF}, {0xD7FF}},
                 {{0xEE, 0x80, 0x80}, {0xE000}},
                 {{0xEF, 0xBF, 0xBF}, {0xFFFF}},
                 {{0xF0, 0x90, 0x80, 0x80}, {0xD800, 0xDC00}},
                 {{0xF4, 0x8F, 0xBF, 0xBF}, {0xDBFF, 0xDFFF}}};
    const U8 bad8[] = {{0xC3, 'a'},  {0xE2, 0x82}, {0xE0, 0x9F, 0xBF},      {0xED, 0xA0, 0x80},
                       {0xC1, 0xBF}, {0x80},       {0xF4, 0x90, 0x80, 0x80}};
    const U16 bad16[] = {{0xDC00}, {0xD800, 'a'}, {0xDBFF, 0xD800}};
    U8 utf8, encoded;
    U16 wide, decoded;
    std::vector<std::size_t> at8, at16;
    for (std::size_t i = 0; i < 70; ++i) {
        at8.push_back(utf8.size());
        at16.push_back(wide.size());
        utf8 += chars[i * 4 % 9].utf8;
        wide += chars[i * 4 % 9].wide;
    }
    at8.push_back(utf8.size());
    at16.push_back(wide.size());
    for (std::size_t i = 0; i < at8.size(); ++i) {
        // Every prefix, so that the last block of a run ends everywhere.
        EXPECT_TRUE(ConvertUTF8ToUnicode(utf8.substr(0, at8[i]), decoded) &&
                    decoded == wide.substr(0, at16[i]))
            << i;
        EXPECT_TRUE(ConvertUnicodeToUTF8(wide.substr(0, at16[i]), encoded) &&
                    encoded == utf8.substr(0, at8[i]))
            << i;
        for (const U8& bad : bad8) {
            EXPECT_FALSE(ConvertUTF8ToUnicode(U8(utf8).insert(at8[i], bad), decoded)) << i;
            EXPECT_TRUE(decoded.empty()) << i;
        }
        for (const U16& bad : bad16)
            EXPECT_FALSE(ConvertUnicodeToUTF8(U16(wide).insert(at16[i], bad), encoded)) << i;
    }
}

TEST(ConversionTest, Utf32RangeTable) {
    const std::pair<unsigned int, bool> rows[] = {
        {0xD7FF, true},   {0xD800, false},   {0xDFFF, false},     {0xE000, true},
        {0x10FFFF, true}, {0x110000, false}, {0xFFFFFFFF, false}, {0x1F600, true}};
    for (const auto& [cp, ok] : rows) {
        const Utf32StdString in{'a', cp};
        U16 wide{'x'};
        Utf32StdString back{'x'};
        EXPECT_EQ(ok, ConvertUTF32ToUnicode(in, wide)) << cp;
        EXPECT_TRUE(ConvertUnicodeToUTF32(wide, back));
        EXPECT_EQ(ok ? in : Utf32StdString(), back) << cp;
    }
}

// 0x7F passes; 0x80, or a character the ANSI code page lacks, fails and keeps the output.
TEST(ConversionTest, AsciiAndAnsi) {
    std::string narrow = "kept";
    U16 wide{'k'};
    EXPECT_FALSE(ConvertUnicodeToASCII(U16{'a', 0x80}, narrow));
    EXPECT_FALSE(ConvertASCIIToUnicode(std::string("a\x80"), wide));
    EXPECT_FALSE(ConvertUnicodeToANSI(U16{'a', 0x4E2D}, narrow));
    EXPECT_EQ("kept", narrow);
    EXPECT_EQ(U16{'k'}, wide);
    EXPECT_TRUE(ConvertUnicodeToASCII(U16{'a', 0x7F}, narrow));
    EXPECT_EQ("a\x7F", narrow);
    EXPECT_TRUE(ConvertASCIIToUnicode(std::string("x\x7F"), wide));
    EXPECT_EQ((U16{'x', 0x7F}), wide);
    EXPECT_TRUE(ConvertUnicodeToANSI(U16(), narrow) && narrow.empty());
    ASSERT_TRUE(ConvertUnicodeToANSI(U16{'a', 'b'}, narrow));
    ASSERT_TRUE(ConvertANSIToUnicode(narrow, wide));
    EXPECT_EQ((U16{'a', 'b'}), wide);
#ifdef _WIN32
    if (GetACP() != 1252)
        GTEST_SKIP() << "ANSI code page " << GetACP();
    ASSERT_TRUE(ConvertUnicodeToANSI(U16{0xE9, 0x20AC}, narrow));
    EXPECT_EQ("\xE9\x80", narrow);
    ASSERT_TRUE(ConvertANSIToUnicode(narrow, wide));
    EXPECT_EQ((U16{0xE9, 0x20AC}), wide);
#endif
}

} // namespace
