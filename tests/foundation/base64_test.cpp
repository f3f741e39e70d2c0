#include <REDudi/bytes.h>

#include <gtest/gtest.h>

using namespace REDudi;

namespace {

// Encoding with fill, strict decoding, and the lenient decoding of short and
// foreign input: a missing or foreign character counts as 0xFF, a missing
// third or fourth is skipped, a '=' in the third or fourth position ends the
// input (after earlier whole groups too), a '=' in the first two is foreign.
TEST(Base64Test, EncodingAndDecodingTable) {
    const struct {
        PString plain, encoded;
        bool encodes; // false: only the decoding direction holds
    } rows[] = {
        {"Man", "TWFu", true},
        {"Ma", "TWE=", true},
        {"M", "TQ==", true},
        {"", "", true},
        {PString("\xFB\xFF\xBF"), "+/+/", true},
        {PString("\0\0\0", 3), "AAAA", true},
        {"M", "TQ", false},
        {PString("\x4F"), "T", false},
        {PString("\xFD"
                 "an"),
         "\nWFu", false},
        {PString("\xFD"
                 "an"),
         PString("\0WFu", 4), false},
        {"ManM", "TWFuTQ==TWFu", false},
        {"ManMa", "TWFuTWE=TWFu", false},
        {PString("\xFF\xF1\x6E"), "==Fu", false},
    };
    for (const auto& row : rows) {
        PString out = "pre", plain = row.plain, encoded = row.encoded;
        if (row.encodes) {
            ASSERT_TRUE(ABase64::Encode(plain, out)) << row.encoded;
            EXPECT_EQ("pre" + row.encoded, out);
        }
        out = "pre";
        ASSERT_TRUE(ABase64::Decode(encoded, out)) << row.encoded;
        EXPECT_EQ(PString("pre") + row.plain, out) << row.encoded;
    }
}

TEST(Base64Test, ByteVectorsAppend) {
    PString out = "y";
    std::vector<unsigned char> bytes{'M'}, decoded{1, 2};
    ASSERT_TRUE(ABase64::Encode(bytes, out));
    EXPECT_EQ("yTQ==", out);
    PString text = "TWFu";
    ASSERT_TRUE(ABase64::Decode(text, decoded));
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 'M', 'a', 'n'}), decoded);
}

TEST(Base64Test, RoundTripsEveryLengthAndByte) {
    PString bytes;
    for (int i = 0; i < 300; ++i) {
        PString encoded, decoded;
        ASSERT_TRUE(ABase64::Encode(bytes, encoded));
        EXPECT_EQ((bytes.size() + 2) / 3 * 4, encoded.size());
        ASSERT_TRUE(ABase64::Decode(encoded, decoded));
        EXPECT_EQ(bytes, decoded) << i;
        bytes.push_back(static_cast<char>(i * 7));
    }
}

} // namespace
