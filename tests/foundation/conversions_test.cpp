#include <REDudi/strings.h>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace REDudi;

namespace {

UnicodeStdString U16(std::initializer_list<unsigned short> units) {
    return UnicodeStdString(units.begin(), units.end());
}
Utf8StdString U8(std::initializer_list<unsigned char> bytes) {
    return Utf8StdString(bytes.begin(), bytes.end());
}

TEST(ConversionTest, EmptyInputsGiveEmptyOutputs) {
    std::string narrow = "old";
    UnicodeStdString wide = U16({'o'});
    Utf8StdString utf8 = U8({'o'});
    Utf32StdString utf32(1, 'o');
    EXPECT_TRUE(ConvertUnicodeToANSI(UnicodeStdString(), narrow));
    EXPECT_TRUE(narrow.empty());
    EXPECT_TRUE(ConvertANSIToUnicode(std::string(), wide));
    EXPECT_TRUE(wide.empty());
    narrow = "old";
    EXPECT_TRUE(ConvertUnicodeToASCII(UnicodeStdString(), narrow));
    EXPECT_TRUE(narrow.empty());
    wide = U16({'o'});
    EXPECT_TRUE(ConvertASCIIToUnicode(std::string(), wide));
    EXPECT_TRUE(wide.empty());
    EXPECT_TRUE(ConvertUnicodeToUTF8(UnicodeStdString(), utf8));
    EXPECT_TRUE(utf8.empty());
    wide = U16({'o'});
    EXPECT_TRUE(ConvertUTF8ToUnicode(Utf8StdString(), wide));
    EXPECT_TRUE(wide.empty());
    EXPECT_TRUE(ConvertUnicodeToUTF32(UnicodeStdString(), utf32));
    EXPECT_TRUE(utf32.empty());
    wide = U16({'o'});
    EXPECT_TRUE(ConvertUTF32ToUnicode(Utf32StdString(), wide));
    EXPECT_TRUE(wide.empty());
}

TEST(ConversionTest, AsciiFailsAboveSevenBitsAndKeepsOutput) {
    std::string narrow = "kept";
    EXPECT_FALSE(ConvertUnicodeToASCII(U16({'a', 0xE9}), narrow));
    EXPECT_EQ("kept", narrow);
    EXPECT_TRUE(ConvertUnicodeToASCII(U16({'a', 'B', '~', 0x7F}), narrow));
    EXPECT_EQ("aB~\x7F", narrow);

    UnicodeStdString wide = U16({'k'});
    EXPECT_FALSE(ConvertASCIIToUnicode(std::string("a\x80"), wide));
    EXPECT_EQ(U16({'k'}), wide);
    EXPECT_TRUE(ConvertASCIIToUnicode(std::string("x\x7F", 2), wide));
    EXPECT_EQ(U16({'x', 0x7F}), wide);
}

TEST(ConversionTest, Utf16ToUtf8EncodesEveryLength) {
    Utf8StdString out;
    ASSERT_TRUE(ConvertUnicodeToUTF8(U16({'A', 0xE9, 0x20AC, 0xD83D, 0xDE00}), out));
    EXPECT_EQ(U8({'A', 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}), out);
    ASSERT_TRUE(ConvertUnicodeToUTF8(U16({0x7FF, 0x800, 0xFFFF, 0xDBFF, 0xDFFF}), out));
    EXPECT_EQ(U8({0xDF, 0xBF, 0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF, 0xF4, 0x8F, 0xBF, 0xBF}), out);
}

TEST(ConversionTest, UnpairedSurrogatesFailWithEmptyOutput) {
    const UnicodeStdString bad[] = {U16({0xDC00}), U16({'a', 0xD800, 'b'}),
                                    U16({0xD800, 0xD800, 0xDC00}), U16({'a', 0xD83D})};
    for (const UnicodeStdString& in : bad) {
        Utf8StdString utf8 = U8({'x'});
        EXPECT_FALSE(ConvertUnicodeToUTF8(in, utf8));
        EXPECT_TRUE(utf8.empty());
        Utf32StdString utf32(1, 'x');
        EXPECT_FALSE(ConvertUnicodeToUTF32(in, utf32));
        EXPECT_TRUE(utf32.empty());
    }
}

TEST(ConversionTest, Utf8DecodesAndKeepsByteOrderMark) {
    UnicodeStdString out;
    ASSERT_TRUE(ConvertUTF8ToUnicode(U8({0xEF, 0xBB, 0xBF, 'h', 0xC3, 0xA9}), out));
    EXPECT_EQ(U16({0xFEFF, 'h', 0xE9}), out);
    ASSERT_TRUE(ConvertUTF8ToUnicode(U8({0xF0, 0x9F, 0x98, 0x80, 0xF4, 0x8F, 0xBF, 0xBF}), out));
    EXPECT_EQ(U16({0xD83D, 0xDE00, 0xDBFF, 0xDFFF}), out);
}

TEST(ConversionTest, IllFormedUtf8FailsWithEmptyOutput) {
    const Utf8StdString bad[] = {
        U8({0xC0, 0x80}),             // overlong two-byte
        U8({0xC1, 0xBF}),             // overlong two-byte
        U8({0xE0, 0x9F, 0xBF}),       // overlong three-byte
        U8({0xF0, 0x8F, 0xBF, 0xBF}), // overlong four-byte
        U8({0xED, 0xA0, 0x80}),       // encoded surrogate
        U8({0xF4, 0x90, 0x80, 0x80}), // above 0x10FFFF
        U8({0xF5, 0x80, 0x80, 0x80}), // lead beyond the range
        U8({0xE2, 0x82}),             // truncated
        U8({'a', 0xF0, 0x9F, 0x98}),  // truncated at the end
        U8({0x80}),                   // lone continuation
        U8({0xC3, 'A'}),              // continuation missing
        U8({0xE2, 0x82, 0xC0}),       // bad third byte
        U8({0xFF}),
    };
    for (const Utf8StdString& in : bad) {
        UnicodeStdString out = U16({'x'});
        EXPECT_FALSE(ConvertUTF8ToUnicode(in, out)) << in.size();
        EXPECT_TRUE(out.empty());
    }
}

// Long inputs cross the block-at-a-time ASCII path; a non-ASCII character
// at every offset checks that the path hands over at the right unit.
TEST(ConversionTest, AsciiFastPathHandsOverAtEveryOffset) {
    for (std::size_t pos = 0; pos < 40; ++pos) {
        UnicodeStdString text(40, 'a');
        text[pos] = 0x20AC;
        Utf8StdString utf8;
        ASSERT_TRUE(ConvertUnicodeToUTF8(text, utf8));
        EXPECT_EQ(42u, utf8.size());
        EXPECT_EQ(0xE2, utf8[pos]);
        UnicodeStdString back;
        ASSERT_TRUE(ConvertUTF8ToUnicode(utf8, back));
        EXPECT_EQ(text, back);

        Utf8StdString broken(40, 'a');
        broken[pos] = 0x80;
        EXPECT_FALSE(ConvertUTF8ToUnicode(broken, back));
    }
}

TEST(ConversionTest, Utf32RoundTripAndRange) {
    UnicodeStdString wide;
    ASSERT_TRUE(ConvertUTF32ToUnicode(Utf32StdString{0x1F600, 'a', 0xFFFF}, wide));
    EXPECT_EQ(U16({0xD83D, 0xDE00, 'a', 0xFFFF}), wide);
    Utf32StdString back;
    ASSERT_TRUE(ConvertUnicodeToUTF32(wide, back));
    EXPECT_EQ((Utf32StdString{0x1F600, 'a', 0xFFFF}), back);

    for (unsigned int bad : {0x110000u, 0xD800u, 0xDFFFu, 0xFFFFFFFFu}) {
        wide = U16({'x'});
        EXPECT_FALSE(ConvertUTF32ToUnicode(Utf32StdString{'a', bad}, wide)) << bad;
        EXPECT_TRUE(wide.empty());
    }
}

TEST(ConversionTest, AnsiRoundTripsAsciiAndRefusesUnrepresentable) {
    std::string narrow;
    ASSERT_TRUE(ConvertUnicodeToANSI(U16({'a', 'b', 'c'}), narrow));
    EXPECT_EQ("abc", narrow);
    UnicodeStdString wide;
    ASSERT_TRUE(ConvertANSIToUnicode(narrow, wide));
    EXPECT_EQ(U16({'a', 'b', 'c'}), wide);

#ifdef _WIN32
    // A CJK code page could represent the character.
    if (GetACP() != 1252)
        GTEST_SKIP() << "ANSI code page " << GetACP();
    ASSERT_TRUE(ConvertUnicodeToANSI(U16({0xE9, 0x20AC}), narrow));
    EXPECT_EQ("\xE9\x80", narrow);
    ASSERT_TRUE(ConvertANSIToUnicode(narrow, wide));
    EXPECT_EQ(U16({0xE9, 0x20AC}), wide);
#endif
    narrow = "kept";
    EXPECT_FALSE(ConvertUnicodeToANSI(U16({'a', 0x4E2D}), narrow));
    EXPECT_EQ("kept", narrow);
}

} // namespace
