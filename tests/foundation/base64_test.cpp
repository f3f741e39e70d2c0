#include <REDudi/bytes.h>

#include <gtest/gtest.h>

using namespace REDudi;

namespace {

// Both overloads each way; decoding is lenient about short, foreign and '=' input.
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
        {"Ma", "TWE", false},
        {PString("\x4F"), "T", false},
        {PString("\xFD\x61n"), "\nWFu", false},
        {PString("\xFD\x61n"), PString("\0WFu", 4), false},
        {"ManM", "TWFuTQ==TWFu", false},
        {"ManMa", "TWFuTWE=TWFu", false},
        {PString("\xFF\xF1\x6E"), "==Fu", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.encoded);
        PString out = "pre", encoded = row.encoded;
        std::vector<unsigned char> bytes(row.plain.begin(), row.plain.end()), decoded{'v'};
        if (row.encodes) {
            ASSERT_TRUE(ABase64::Encode(bytes, out));
            EXPECT_EQ("pre" + row.encoded, out);
        }
        out = "pre";
        ASSERT_TRUE(ABase64::Decode(row.encoded, out) && ABase64::Decode(encoded, decoded));
        EXPECT_EQ("pre" + row.plain, out);
        EXPECT_EQ("v" + row.plain, PString(decoded.begin(), decoded.end()));
    }
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
