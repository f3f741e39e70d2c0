#include <REDudi/bytes.h>

#include <gtest/gtest.h>

using namespace REDudi;

namespace {

PString Encoded(const PString& in) {
    PString out;
    EXPECT_TRUE(ABase64::Encode(in, out));
    return out;
}

PString Decoded(const PString& in) {
    PString out;
    EXPECT_TRUE(ABase64::Decode(in, out));
    return out;
}

TEST(Base64Test, EncodesWithFill) {
    EXPECT_EQ("TWFu", Encoded("Man"));
    EXPECT_EQ("TWE=", Encoded("Ma"));
    EXPECT_EQ("TQ==", Encoded("M"));
    EXPECT_EQ("", Encoded(""));
    EXPECT_EQ("+/+/", Encoded(PString("\xFB\xFF\xBF")));
    EXPECT_EQ("AAAA", Encoded(PString("\0\0\0", 3)));
}

TEST(Base64Test, DecodesWithFill) {
    EXPECT_EQ("Man", Decoded("TWFu"));
    EXPECT_EQ("Ma", Decoded("TWE="));
    EXPECT_EQ("M", Decoded("TQ=="));
    EXPECT_EQ("", Decoded(""));
}

TEST(Base64Test, AppendsToExistingOutput) {
    PString out = "x";
    ASSERT_TRUE(ABase64::Encode(PString("Man"), out));
    EXPECT_EQ("xTWFu", out);
    ASSERT_TRUE(ABase64::Decode(PString("TWE="), out));
    EXPECT_EQ("xTWFuMa", out);

    std::vector<unsigned char> bytes = {'M'};
    out = "y";
    ASSERT_TRUE(ABase64::Encode(bytes, out));
    EXPECT_EQ("yTQ==", out);

    PString text = "TWFu";
    std::vector<unsigned char> decoded = {1, 2};
    ASSERT_TRUE(ABase64::Decode(text, decoded));
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 'M', 'a', 'n'}), decoded);
}

TEST(Base64Test, LenientDecodingOfShortAndForeignInput) {
    // Missing positions count as 0xFF; a missing third or fourth is skipped.
    EXPECT_EQ("M", Decoded("TQ"));
    EXPECT_EQ(PString("\x4F"), Decoded("T"));
    // A line break has the value 0xFF: (0xFF << 2) | (('W' = 22) >> 4 & 3).
    PString withBreak = Decoded("\nWFu");
    ASSERT_EQ(3u, withBreak.size());
    EXPECT_EQ('\xFD', withBreak[0]);
    // Everything after a '=' in the third or fourth position is ignored, even
    // when the fast group-at-a-time path had decoded earlier groups.
    EXPECT_EQ("ManM", Decoded("TWFuTQ==TWFu"));
    EXPECT_EQ("ManMa", Decoded("TWFuTWE=TWFu"));
    // A '=' in the first two positions is an ordinary foreign character.
    EXPECT_EQ(PString("\xFF\xF1\x6E"), Decoded("==Fu"));
}

TEST(Base64Test, RoundTripsEveryLengthAndByte) {
    PString bytes;
    for (int i = 0; i < 300; ++i) {
        PString encoded = Encoded(bytes);
        EXPECT_EQ((bytes.size() + 2) / 3 * 4, encoded.size());
        EXPECT_EQ(bytes, Decoded(encoded));
        bytes.push_back(static_cast<char>(i * 7));
    }
}

} // namespace
