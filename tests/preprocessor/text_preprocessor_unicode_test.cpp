// The wide preprocessor: where it differs from the narrow one (ASCII names
// and index texts, strict index texts, loop names keeping the index text),
// and the shared rules once more in 16-bit text.
#include "preprocessor_fixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace REDudi;
using REDudi::testing::Wide;

namespace {

using Handler =
    REDudi::testing::PassingHandler<ATextPreprocessorUnicode, ForHandlerUnicode, UString>;
using Files = REDudi::testing::RecordingFiles<FileGenerationHandlerUnicode, UString>;

class TextPreprocessorUnicodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* const entries[][2] = {{"title", "Report"},
                                          {"show", "0"},
                                          {"Item0", "a"},
                                          {"Item2", "c"},
                                          {"Item3", "d"},
                                          {"Item4294967295", "max"},
                                          {"evil", "<!-- qvvar name=\"title\" -->"}};
        for (const auto& entry : entries)
            ASSERT_TRUE(bag->SetProperty(entry[0], Wide(entry[1]).c_str()));
        // A value beyond ASCII and Latin-1 passes through unchanged.
        UString snowman = Wide("[");
        snowman.push_back(0x2603);
        snowman.push_back(0xD83D); // an unpaired surrogate is still just a unit
        snowman += Wide("]");
        ASSERT_TRUE(bag->SetProperty("snow", snowman.c_str()));
        preprocessor.SetParameterProvider(bag.get());
        preprocessor.SetFileGenerator(&files);
    }

    UString Expand(const UString& text) { return preprocessor.Preprocess(text, nullptr); }

    std::unique_ptr<PropertyBagUnicode> bag{PropertyBagUnicode::GetNewPropertyBag()};
    ATextPreprocessorUnicode preprocessor;
    Files files;
};

UString WithUnit(const std::string& before, unsigned short unit, const std::string& after) {
    UString text = Wide(before);
    text.push_back(unit);
    return text + Wide(after);
}

TEST_F(TextPreprocessorUnicodeTest, ExpandsAsciiDirectives) {
    struct Row {
        const char* input;
        const char* expected;
    };
    const Row rows[] = {
        {"<p><!-- qvvar name=\"title\" --></p>", "<p>Report</p>"},
        {"<!-- qvvar name=\"evil\" -->", "<!-- qvvar name=\"title\" -->"},
        {"[<!-- qvvar name=\"nobody\" -->]", "[]"},
        {"[<!-- qvvar name=\"title -->]", "[]"},
        {"<!-- qvvar name=\"Item\" n=\"3\" -->", "d"},
        {"<!-- qvvar name=\"Item\" n=\"03\" -->", "d"},
        {"<!-- qvvar name=\"Item\" n=\"-1\" -->", "max"},
        {"<!-- qvvar name=\"Item\" n=\"99999999999\" -->", "max"},
        {"[<!-- qvvar name=\"Item\" n=\"\" -->]", "[<!-- qvvar name=\"Item\" n=\"\" -->]"},
        {"a<!-- qvifvar name=\"show\" -->b<!-- qvendifvar -->c", "ac"},
        {"a<!-- qvifvar name=\"title\" -->b<!-- qvendifvar -->c", "abc"},
        {"a<!-- qvfor name=\"x\" -->b<!-- qvendfor -->c", "ac"},
        {"a<!-- qvfile source=\"s\" dest=\"d\" -->c", "ac"},
        {"a<!-- qvfile dest=\"d\" source=\"s\" -->c", "a<!-- qvfile dest=\"d\" source=\"s\" -->c"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Wide(row.expected), Expand(Wide(row.input))) << row.input;
    UString snowman = WithUnit("[", 0x2603, "");
    snowman.push_back(0xD83D);
    EXPECT_EQ(snowman + Wide("]"), Expand(Wide("<!-- qvvar name=\"snow\" -->")));
}

TEST_F(TextPreprocessorUnicodeTest, NonAsciiNamesAndIndexTextsStay) {
    const UString rows[] = {
        WithUnit("<!-- qvvar name=\"tit", 0xE9, "\" -->"),
        WithUnit("<!-- qvvar name=\"Item\" n=\"", 0x0663, "\" -->"),
        WithUnit("<!-- qvifvar name=\"sh", 0x2603, "\" -->x<!-- qvendifvar -->"),
        WithUnit("<!-- qvfor name=\"", 0x80, "\" -->x<!-- qvendfor -->"),
    };
    for (const UString& row : rows)
        EXPECT_EQ(row, Expand(row));
    // Units beyond ASCII elsewhere are copied unchanged.
    UString text = WithUnit("<", 0xFFFF, "<!-- qvvar name=\"title\" -->");
    EXPECT_EQ(WithUnit("<", 0xFFFF, "Report"), Expand(text));
}

TEST_F(TextPreprocessorUnicodeTest, LoopNamesKeepTheIndexTextAsWritten) {
    struct Row {
        const char* input;
        const char* loopName;
        const char* expected;
    };
    const Row rows[] = {
        {"<!-- qvfor name=\"items\" n=\"auto\" --><!-- qvvar name=\"Item\" n=\"auto\" --><!-- "
         "qvendfor -->",
         "itemsauto", "a"},
        {"<!-- qvfor name=\"items\" n=\"2\" -->.<!-- qvendfor -->", "items2", "."},
        {"<!-- qvfor name=\"items\" n=\"03\" -->.<!-- qvendfor -->", "items03", "."},
        {"<!-- qvfor name=\"items\" -->.<!-- qvendfor -->", "items", "."},
    };
    for (const auto& row : rows) {
        Handler handler(preprocessor, 1);
        preprocessor.SetForHandler(&handler);
        EXPECT_EQ(Wide(row.expected), Expand(Wide(row.input))) << row.input;
        ASSERT_EQ(1u, handler.names.size()) << row.input;
        EXPECT_EQ(Wide(row.loopName), handler.names[0]) << row.input;
    }
}

TEST_F(TextPreprocessorUnicodeTest, AutoIndexAndFiles) {
    preprocessor.SetN(2);
    EXPECT_EQ(Wide("c"), Expand(Wide("<!-- qvvar name=\"Item\" n=\"auto\" -->")));
    Expand(WithUnit("<!-- qvfile source=\"", 0x4E2D, "\" dest=\"out\" -->"));
    ASSERT_EQ(1u, files.files.size());
    EXPECT_EQ(WithUnit("", 0x4E2D, ""), files.files[0].first);
    EXPECT_EQ(Wide("out"), files.files[0].second);
}

} // namespace
