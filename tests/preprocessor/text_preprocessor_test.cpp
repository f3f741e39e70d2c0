// The narrow preprocessor: every directive, its malformed forms and the
// providers' order, each row also run through a scan built from the
// protected in-place steps, which must agree with the one-pass scan.
#include "preprocessor_fixtures.h"
#include "stepwise.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace REDudi;
using REDudi::testing::MapProvider;

namespace {

using StepwisePreprocessor = REDudi::testing::Stepwise<ATextPreprocessor, PString>;
using Handler = REDudi::testing::PassingHandler<ATextPreprocessor, ForHandler, PString>;
using Files = REDudi::testing::RecordingFiles<FileGenerationHandler, PString>;

class TextPreprocessorTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* const entries[][2] = {{"title", "Report"},
                                          {"show", "0"},
                                          {"yes", "1"},
                                          {"zeros", "00"},
                                          {"Item0", "a"},
                                          {"Item1", "b"},
                                          {"Item2", "c"},
                                          {"Item4294967295", "last"},
                                          {"evil", "<!-- qvvar name=\"title\" -->"}};
        for (const auto& entry : entries)
            ASSERT_TRUE(bag->SetProperty(entry[0], entry[1]));
        preprocessor.SetParameterProvider(bag.get());
        preprocessor.SetFileGenerator(&files);
    }

    PString Expand(const std::string& text) {
        PString result = preprocessor.Preprocess(PString(text), nullptr);
        EXPECT_EQ(result, preprocessor.ExpandStepwise(PString(text))) << text;
        return result;
    }

    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    StepwisePreprocessor preprocessor;
    Files files;
};

struct Row {
    const char* input;
    const char* expected;
};

TEST_F(TextPreprocessorTest, ExpandsDirectivesAndKeepsMalformedOnes) {
    const Row rows[] = {
        {"plain <!-- text --> <!-- qv stays", "plain <!-- text --> <!-- qv stays"},
        {"<h1><!-- qvvar name=\"title\" --></h1>", "<h1>Report</h1>"},
        {"[<!-- qvvar name=\"missing\" -->]", "[]"},
        {"[<!-- qvvar title -->]", "[<!-- qvvar title -->]"},
        {"[<!-- qvvar name=\"title -->]", "[]"},
        {"[<!-- qvvar name=\"title\"", "[<!-- qvvar name=\"title\""},
        {"<!-- qvvar name=\"evil\" -->", "<!-- qvvar name=\"title\" -->"},
        {"<!-- qvvar x name=\"title\" y -->", "Report"},
        {"<!-- qvvar name=\"Item\" n=\"2\" -->", "c"},
        {"<!-- qvvar name=\"Item\" n=\"\" -->", "a"},
        {"<!-- qvvar name=\"Item\" n=\" 1x\" -->", "b"},
        {"<!-- qvvar name=\"Item\" n=\"-1\" -->", "last"},
        {"[<!-- qvvar name=\"Item\" n=\"2 -->]", "[<!-- qvvar name=\"Item\" n=\"2 -->]"},
        {"[<!-- qvvar n=\"1\" name=\"Item\" -->]", "[]"},
        {"[<!-- qvvar name=\"title\" --> n=\"1\"]", "[Report n=\"1\"]"},
        {"a<!-- qvifvar name=\"show\" -->b<!-- qvendifvar -->c", "ac"},
        {"a<!-- qvifvar name=\"yes\" -->b<!-- qvendifvar -->c", "abc"},
        {"a<!-- qvifvar name=\"missing\" -->b<!-- qvendifvar -->c", "abc"},
        {"a<!-- qvifvar name=\"zeros\" -->b<!-- qvendifvar -->c", "abc"},
        {"<!-- qvifvar name=\"show\" -->a<!-- qvifvar name=\"yes\" -->b<!-- qvendifvar "
         "-->c<!-- qvendifvar -->d",
         "d"},
        {"<!-- qvifvar name=\"yes\" -->[<!-- qvifvar name=\"show\" -->x<!-- qvendifvar "
         "-->]<!-- qvendifvar -->",
         "[]"},
        {"<!-- qvifvar name=\"yes\" -->a<!-- qvvar name=\"title\" -->",
         "<!-- qvifvar name=\"yes\" -->aReport"},
        {"<!-- qvifvar name=\"show\" -->a<!-- qvendifvar-->", "<!-- qvifvar name=\"show\" -->a<!-- "
                                                              "qvendifvar-->"},
        {"<!-- qvifvar -->x<!-- qvendifvar -->", "<!-- qvifvar -->x<!-- qvendifvar -->"},
        {"x<!-- qvendifvar --><!-- qvendfor -->", "x<!-- qvendifvar --><!-- qvendfor -->"},
        {"<!-- qvifvar name=\"yes\" --><!-- qvfor name=\"Item\" --><!-- qvendifvar "
         "-->x<!-- qvendfor -->y",
         "y"},
        {"<!-- qvifvar name=\"show\" --><!-- qvifvar name=\"yes\" --><!-- qvendifvar -->",
         "<!-- qvifvar name=\"show\" -->"},
        {"<!-- qvifvar name=\"yes\" --><!-- qvvar name=\"title\" <!-- qvendifvar -->.-->!",
         "Report!"},
        {"<!-- qvifvar name=\"yes\" -->x<!-- qv<!-- qvendifvar -->var name=\"title\" -->",
         "xReport"},
        {"<!-- qvifvar name=\"yes\" -->x<!-- qvendifvar --><!-- qvendifvar -->",
         "x<!-- qvendifvar -->"},
        {"a<!-- qvfor name=\"Item\" -->x<!-- qvendfor -->b", "ab"},
        {"a<!-- qvfor name=\"Item\" -->x", "a<!-- qvfor name=\"Item\" -->x"},
        {"<!-- qvfor -->x<!-- qvendfor -->", "<!-- qvfor -->x<!-- qvendfor -->"},
        {"a<!-- qvfile source=\"s.htm\" dest=\"d.htm\" -->b", "ab"},
        {"a<!-- qvfile dest=\"d.htm\" source=\"s.htm\" -->b",
         "a<!-- qvfile dest=\"d.htm\" source=\"s.htm\" -->b"},
        {"a<!-- qvfile source=\"s.htm\" dest=\"d.htm -->b",
         "a<!-- qvfile source=\"s.htm\" dest=\"d.htm -->b"},
        {"a<!-- qvfile source=\"s.htm\" dest=\"d.htm\"",
         "a<!-- qvfile source=\"s.htm\" dest=\"d.htm\""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PString(row.expected), Expand(row.input)) << "template: " << row.input;
}

TEST_F(TextPreprocessorTest, AutoIndexReadsTheEntryAtN) {
    preprocessor.SetN(2);
    EXPECT_EQ(PString("c"), Expand("<!-- qvvar name=\"Item\" n=\"auto\" -->"));
    EXPECT_EQ(PString("a"), Expand("<!-- qvvar name=\"Item\" n=\"Auto\" -->"));
}

TEST_F(TextPreprocessorTest, FileDirectivesGoToTheGeneratorInOrder) {
    Expand("<!-- qvfile source=\"a\" dest=\"b\" --><!-- qvfile x source=\"sub\\c\" y "
           "dest=\"d\" -->");
    ASSERT_EQ(4u, files.files.size()); // both scans report them
    EXPECT_EQ(PString("a"), files.files[0].first);
    EXPECT_EQ(PString("b"), files.files[0].second);
    EXPECT_EQ(PString("sub\\c"), files.files[1].first);
    EXPECT_EQ(PString("d"), files.files[1].second);
}

TEST_F(TextPreprocessorTest, LoopsRunOncePerPassWithCurrentValues) {
    struct LoopRow {
        unsigned int passes;
        const char* input;
        const char* expected;
        const char* loopName;
    };
    const LoopRow rows[] = {
        {0, "[<!-- qvfor name=\"Item\" -->x<!-- qvendfor -->]", "[]", "Item"},
        {1,
         "[<!-- qvfor name=\"Item\" --><!-- qvvar name=\"Item\" n=\"auto\" --><!-- qvendfor "
         "-->]",
         "[a]", "Item"},
        {3,
         "[<!-- qvfor name=\"Item\" n=\"7\" --><!-- qvvar name=\"Item\" n=\"auto\" --><!-- "
         "qvendfor -->]",
         "[abc]", "Item7"},
        {2,
         "<!-- qvfor name=\"r\" --><!-- qvfor name=\"c\" -->x<!-- qvendfor -->|<!-- qvendfor -->",
         "xx|xx|", "r"},
        {2, "<!-- qvfor name=\"r\" n=\"auto\" -->.<!-- qvendfor -->", "..", "r0"},
    };
    for (const LoopRow& row : rows) {
        Handler handler(preprocessor, row.passes);
        preprocessor.SetForHandler(&handler);
        preprocessor.SetN(0);
        EXPECT_EQ(PString(row.expected), preprocessor.Preprocess(PString(row.input), nullptr))
            << row.input;
        ASSERT_FALSE(handler.names.empty()) << row.input;
        EXPECT_EQ(PString(row.loopName), handler.names.front()) << row.input;
    }
}

TEST_F(TextPreprocessorTest, PerCallProviderComesFirst) {
    MapProvider local;
    local.values = {{"title", "Local"}};
    EXPECT_EQ(PString("Local|0"),
              preprocessor.Preprocess(PString("<!-- qvvar name=\"title\" -->|<!-- qvvar "
                                              "name=\"show\" -->"),
                                      &local));
    EXPECT_EQ((std::vector<std::string>{"title", "show"}), local.asked);
}

TEST_F(TextPreprocessorTest, NothingWithoutProviders) {
    ATextPreprocessor bare;
    EXPECT_EQ(PString(), bare.Preprocess(PString("text"), bag.get()));
    EXPECT_EQ(PString(), bare.Preprocess(1u, bag.get()));

    struct Texts : TextProvider {
        PString GetText(unsigned int id) override {
            return PString(id == 7 ? "<!-- qvvar name=\"title\" -->!" : "other");
        }
    } texts;
    preprocessor.SetTextProvider(&texts);
    EXPECT_EQ(PString("Report!"), preprocessor.Preprocess(7u, nullptr));
}

TEST_F(TextPreprocessorTest, MatchingEndCountsNestedOpeners) {
    const PString text("<!-- qvifvar --><!-- qvendifvar --><!-- qvendifvar -->");
    int end = -1;
    ASSERT_TRUE(preprocessor.FindMatchingEnd(text, "<!-- qvifvar", "<!-- qvendifvar -->", 16, end));
    EXPECT_EQ(16, end);
    ASSERT_TRUE(preprocessor.FindMatchingEnd(text, "<!-- qvifvar", "<!-- qvendifvar -->", 0, end));
    EXPECT_EQ(35, end);
    EXPECT_FALSE(
        preprocessor.FindMatchingEnd(text, "<!-- qvifvar", "<!-- qvendifvar -->", 36, end));
    EXPECT_EQ(1, preprocessor.CountBeginsBetweenHereAndThere(text, "<!-- qvifvar", 0, 1));
    EXPECT_EQ(0, preprocessor.CountBeginsBetweenHereAndThere(text, "<!-- qvifvar", 0, 0));
    EXPECT_TRUE(StepwisePreprocessor::IsFirst(3, -1, 4, -1));
    EXPECT_FALSE(StepwisePreprocessor::IsFirst(3, -1, 2, -1));
    EXPECT_FALSE(StepwisePreprocessor::IsFirst(-1, -1, -1, -1));
}

// Deep and unbalanced nesting ends, with the same result in both scans.
TEST_F(TextPreprocessorTest, ThousandLevelsDeep) {
    std::string open, close, unbalanced;
    for (int level = 0; level < 1000; ++level) {
        open += "<!-- qvifvar name=\"yes\" -->(";
        close += ")<!-- qvendifvar -->";
        unbalanced += "<!-- qvifvar name=\"show\" -->";
    }
    EXPECT_EQ(PString(std::string(1000, '(') + "Report" + std::string(1000, ')')),
              preprocessor.Preprocess(open + "<!-- qvvar name=\"title\" -->" + close, nullptr));
    EXPECT_EQ(PString(unbalanced + "x"), Expand(unbalanced + "x"));

    std::string loops;
    for (int level = 0; level < 1000; ++level)
        loops = "<!-- qvfor name=\"r\" -->(" + loops + ")<!-- qvendfor -->";
    Handler once(preprocessor, 1);
    preprocessor.SetForHandler(&once);
    EXPECT_EQ(PString(std::string(1000, '(') + std::string(1000, ')')),
              preprocessor.Preprocess(PString(loops), nullptr));
}

} // namespace
