// Both preprocessors on one table of templates: every directive, its
// malformed forms, index texts and the providers' order. Each row also goes
// through the scan built from the protected in-place steps, which must agree
// with the one-pass scan.
#include "preprocessor_fixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace REDudi;
using REDudi::testing::Q;
using REDudi::testing::Wide;

namespace {

UString WithUnit(const char* before, unsigned short unit, const char* after) {
    UString text = Wide(Q(before));
    text.push_back(unit);
    return text + Wide(Q(after));
}

const char* const kValues[][2] = {{"title", "Report"},
                                  {"show", "0"},
                                  {"yes", "1"},
                                  {"zeros", "00"},
                                  {"Item0", "a"},
                                  {"Item1", "b"},
                                  {"Item2", "c"},
                                  {"Item2147483647", "big"},
                                  {"Item4294967295", "last"},
                                  {"evil", "<!-- qvvar name='title' -->"}};

class PreprocessorTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : kValues) {
            ASSERT_TRUE(bag->SetProperty(entry[0], Q(entry[1]).c_str()));
            ASSERT_TRUE(wideBag->SetProperty(entry[0], Wide(Q(entry[1])).c_str()));
        }
        narrow.SetParameterProvider(bag.get());
        wide.SetParameterProvider(wideBag.get());
        narrow.SetFileGenerator(&files);
        wide.SetFileGenerator(&wideFiles);
    }

    // Both widths, both scans; `wideExpected` where the wide result differs.
    void Check(const std::string& input, const std::string& expected,
               const char* wideExpected = nullptr) {
        SCOPED_TRACE(input);
        PString text(Q(input));
        PString result = narrow.Preprocess(text, nullptr);
        EXPECT_EQ(PString(Q(expected)), result);
        EXPECT_EQ(result, narrow.ExpandStepwise(text));
        UString wideText = Wide(Q(input));
        UString wideResult = wide.Preprocess(wideText, nullptr);
        EXPECT_EQ(Wide(Q(wideExpected ? wideExpected : expected.c_str())), wideResult);
        EXPECT_EQ(wideResult, wide.ExpandStepwise(wideText));
    }

    template <class Handler, class Preprocessor, class Text>
    void CheckLoop(Preprocessor& preprocessor, unsigned int passes, const Text& input,
                   const Text& expected, const Text& loopName) {
        REDudi::testing::PassingHandler<Preprocessor, Handler, Text> handler(preprocessor, passes);
        preprocessor.SetForHandler(&handler);
        EXPECT_EQ(expected, preprocessor.Preprocess(input, nullptr));
        ASSERT_FALSE(handler.names.empty());
        EXPECT_EQ(loopName, handler.names.front());
    }

    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    std::unique_ptr<PropertyBagUnicode> wideBag{PropertyBagUnicode::GetNewPropertyBag()};
    REDudi::testing::Stepwise<ATextPreprocessor, PString> narrow;
    REDudi::testing::Stepwise<ATextPreprocessorUnicode, UString> wide;
    REDudi::testing::RecordingFiles<FileGenerationHandler, PString> files;
    REDudi::testing::RecordingFiles<FileGenerationHandlerUnicode, UString> wideFiles;
};

TEST_F(PreprocessorTest, ExpandsDirectivesAndKeepsMalformedOnes) {
    struct Row {
        const char* input;
        const char* expected;
        const char* wideExpected = nullptr;
    };
    const Row rows[] = {
        {"plain <!-- text --> <!-- qv stays", "plain <!-- text --> <!-- qv stays"},
        {"<h1><!-- qvvar name='title' --></h1>", "<h1>Report</h1>"},
        {"[<!-- qvvar name='missing' -->]", "[]"},
        {"[<!-- qvvar title -->]", "[<!-- qvvar title -->]"},
        {"[<!-- qvvar name='title -->]", "[]"},
        {"[<!-- qvvar name='title'", "[<!-- qvvar name='title'"},
        {"<!-- qvvar name='evil' -->", "<!-- qvvar name='title' -->"},
        {"<!-- qvvar x name='title' y --><!-- qvifvar name='yes' -->!<!-- qvendifvar -->",
         "Report!"},
        {"<!-- qvvar name='Item' n='2' -->", "c"},
        {"<!-- qvvar name='Item' n='' -->", "a", "<!-- qvvar name='Item' n='' -->"},
        {"<!-- qvvar name='Item' n=' 1x' -->", "b"},
        {"<!-- qvvar name='Item' n='\t\r2' -->", "c"},
        {"<!-- qvvar name='Item' n='\b2' -->|<!-- qvvar name='Item' n='\x0e"
         "2' -->",
         "a|a"},
        {"<!-- qvvar name='Item' n='-1' -->", "last"},
        {"<!-- qvvar name='Item' n='99999999999' -->", "big", "last"},
        {"[<!-- qvvar name='Item' n='2 -->]", "[<!-- qvvar name='Item' n='2 -->]"},
        {"[<!-- qvvar n='1' name='Item' -->]", "[]"},
        {"[<!-- qvvar name='title' --> n='1']", "[Report n='1']"},
        {"a<!-- qvifvar name='show' -->b<!-- qvendifvar -->c", "ac"},
        {"a<!-- qvifvar name='yes' -->b<!-- qvendifvar -->c", "abc"},
        {"a<!-- qvifvar name='missing' -->b<!-- qvendifvar -->c", "abc"},
        {"a<!-- qvifvar name='zeros' -->b<!-- qvendifvar -->c", "abc"},
        {"<!-- qvifvar name='show' -->a<!-- qvifvar name='yes' -->b<!-- qvendifvar -->c<!-- "
         "qvendifvar -->d",
         "d"},
        {"<!-- qvifvar name='yes' -->[<!-- qvifvar name='show' -->x<!-- qvendifvar -->]<!-- "
         "qvendifvar -->",
         "[]"},
        {"<!-- qvifvar name='yes' -->a<!-- qvvar name='title' -->",
         "<!-- qvifvar name='yes' -->aReport"},
        {"<!-- qvifvar name='show' -->a<!-- qvendifvar-->",
         "<!-- qvifvar name='show' -->a<!-- qvendifvar-->"},
        {"<!-- qvifvar -->x<!-- qvendifvar -->", "<!-- qvifvar -->x<!-- qvendifvar -->"},
        {"x<!-- qvendifvar --><!-- qvendfor -->", "x<!-- qvendifvar --><!-- qvendfor -->"},
        {"<!-- qvifvar name='yes' --><!-- qvfor name='Item' --><!-- qvendifvar -->x<!-- qvendfor "
         "-->y",
         "y"},
        {"<!-- qvifvar name='show' --><!-- qvifvar name='yes' --><!-- qvendifvar -->",
         "<!-- qvifvar name='show' -->"},
        {"<!-- qvifvar name='yes' --><!-- qvvar name='title' <!-- qvendifvar -->.-->!", "Report!"},
        {"<!-- qvifvar name='yes' -->x<!-- qv<!-- qvendifvar -->var name='title' -->", "xReport"},
        {"<!-- qvifvar name='yes' -->x<!-- qvendifvar --><!-- qvendifvar -->",
         "x<!-- qvendifvar -->"},
        {"a<!-- qvfor name='Item' -->x<!-- qvendfor -->b", "ab"},
        {"a<!-- qvfor name='Item' -->x", "a<!-- qvfor name='Item' -->x"},
        {"<!-- qvfor -->x<!-- qvendfor -->", "<!-- qvfor -->x<!-- qvendfor -->"},
        {"a<!-- qvfile source='s.htm' dest='d.htm' -->b", "ab"},
        {"a<!-- qvfile dest='d.htm' source='s.htm' -->b",
         "a<!-- qvfile dest='d.htm' source='s.htm' -->b"},
        {"a<!-- qvfile source='s.htm' dest='d.htm -->b",
         "a<!-- qvfile source='s.htm' dest='d.htm -->b"},
        {"a<!-- qvfile source='s.htm' dest='d.htm'", "a<!-- qvfile source='s.htm' dest='d.htm'"},
    };
    for (const Row& row : rows)
        Check(row.input, row.expected, row.wideExpected);
    narrow.SetN(2);
    wide.SetN(2);
    Check("<!-- qvvar name='Item' n='auto' --><!-- qvvar name='Item' n='Auto' -->", "ca");
}

TEST_F(PreprocessorTest, FileDirectivesGoToTheHandlerInOrder) {
    Check("<!-- qvfile source='a' dest='b' --><!-- qvfile x source='sub\\c' y dest='d' -->", "");
    using Pairs = std::vector<std::pair<PString, PString>>;
    // Reported by the one-pass scan, then by the stepwise one.
    EXPECT_EQ((Pairs{{"a", "b"}, {"sub\\c", "d"}, {"a", "b"}, {"sub\\c", "d"}}), files.files);
    ASSERT_EQ(4u, wideFiles.files.size());
    EXPECT_EQ(Wide("sub\\c"), wideFiles.files[1].first);
    EXPECT_EQ(Wide("d"), wideFiles.files[1].second);
}

TEST_F(PreprocessorTest, LoopsRunOncePerPassWithCurrentValues) {
    struct Row {
        unsigned int passes;
        const char* input;
        const char* expected;
        const char* loopName;
        const char* wideLoopName;
    };
    const Row rows[] = {
        {0, "[<!-- qvfor name='Item' -->x<!-- qvendfor -->]", "[]", "Item", "Item"},
        {1, "[<!-- qvfor name='Item' --><!-- qvvar name='Item' n='auto' --><!-- qvendfor -->]",
         "[a]", "Item", "Item"},
        {3,
         "[<!-- qvfor name='Item' n='7' --><!-- qvvar name='Item' n='auto' --><!-- qvendfor -->]",
         "[abc]", "Item7", "Item7"},
        {2, "<!-- qvfor name='r' --><!-- qvfor name='c' -->x<!-- qvendfor -->|<!-- qvendfor -->",
         "xx|xx|", "r", "r"},
        {2, "<!-- qvfor name='r' n='auto' -->.<!-- qvendfor -->", "..", "r0", "rauto"},
        {1, "<!-- qvfor name='r' n='03' -->.<!-- qvendfor -->", ".", "r3", "r03"},
        {1, "<!-- qvfor name='r' n='-1' -->.<!-- qvendfor -->", ".", "r-1", "r-1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        narrow.SetN(0);
        wide.SetN(0);
        CheckLoop<ForHandler>(narrow, row.passes, PString(Q(row.input)), PString(row.expected),
                              PString(row.loopName));
        CheckLoop<ForHandlerUnicode>(wide, row.passes, Wide(Q(row.input)), Wide(row.expected),
                                     Wide(row.wideLoopName));
    }
}

TEST_F(PreprocessorTest, PerCallProviderFirstThenDefault) {
    std::unique_ptr<PropertyBag> local{PropertyBag::GetNewPropertyBag()};
    std::unique_ptr<PropertyBagUnicode> wideLocal{PropertyBagUnicode::GetNewPropertyBag()};
    ASSERT_TRUE(local->SetProperty("title", "L") && local->SetProperty("Item1", "M"));
    ASSERT_TRUE(wideLocal->SetProperty("title", Wide("L").c_str()) &&
                wideLocal->SetProperty("Item1", Wide("M").c_str()));
    const std::string text = Q("<!-- qvvar name='title' -->|<!-- qvvar name='Item' n='1' -->|"
                               "<!-- qvvar name='Item' n='2' -->|<!-- qvvar name='show' -->");
    EXPECT_EQ(PString("L|M|c|0"), narrow.Preprocess(PString(text), local.get()));
    EXPECT_EQ(Wide("L|M|c|0"), wide.Preprocess(Wide(text), wideLocal.get()));
}

TEST_F(PreprocessorTest, NothingWithoutProviders) {
    ATextPreprocessor bare;
    ATextPreprocessorUnicode wideBare;
    EXPECT_EQ(PString(), bare.Preprocess(PString("text"), bag.get()));
    EXPECT_EQ(PString(), bare.Preprocess(1u, bag.get()));
    EXPECT_EQ(UString(), wideBare.Preprocess(Wide("text"), wideBag.get()));
    EXPECT_EQ(UString(), wideBare.Preprocess(1u, wideBag.get()));

    struct Texts : TextProvider {
        PString GetText(unsigned int id) override {
            return PString(id == 7 ? "<!-- qvvar name=\"title\" -->!" : "other");
        }
    } texts;
    narrow.SetTextProvider(&texts);
    EXPECT_EQ(PString("Report!"), narrow.Preprocess(7u, nullptr));
}

TEST_F(PreprocessorTest, WideNamesAndIndexTextsMustBeAscii) {
    for (const UString& row :
         {WithUnit("<!-- qvvar name='tit", 0xE9, "' -->"),
          WithUnit("<!-- qvvar name='Item' n='", 0x0663, "' -->"),
          WithUnit("<!-- qvifvar name='sh", 0x2603, "' -->x<!-- qvendifvar -->"),
          WithUnit("<!-- qvfor name='", 0x80, "' -->x<!-- qvendfor -->")})
        EXPECT_EQ(row, wide.Preprocess(row, nullptr));
    // Other units beyond ASCII, even unpaired surrogates, are copied unchanged.
    UString snow = WithUnit("[", 0x2603, "");
    snow.push_back(0xD83D);
    ASSERT_TRUE(wideBag->SetProperty("snow", snow.c_str()));
    EXPECT_EQ(WithUnit("<", 0xFFFF, "") + snow,
              wide.Preprocess(WithUnit("<", 0xFFFF, "<!-- qvvar name='snow' -->"), nullptr));
    wide.Preprocess(WithUnit("<!-- qvfile source='", 0x4E2D, "' dest='out' -->"), nullptr);
    ASSERT_EQ(1u, wideFiles.files.size());
    EXPECT_EQ(WithUnit("", 0x4E2D, ""), wideFiles.files[0].first);
}

TEST_F(PreprocessorTest, MatchingEndCountsNestedOpeners) {
    const PString text("<!-- qvifvar --><!-- qvendifvar --><!-- qvendifvar -->");
    const PString open("<!-- qvifvar"), close("<!-- qvendifvar -->");
    int end = -1;
    ASSERT_TRUE(narrow.FindMatchingEnd(text, open, close, 16, end));
    EXPECT_EQ(16, end);
    ASSERT_TRUE(narrow.FindMatchingEnd(text, open, close, 0, end));
    EXPECT_EQ(35, end);
    EXPECT_FALSE(narrow.FindMatchingEnd(text, open, close, 36, end));
    EXPECT_EQ(1, narrow.CountBeginsBetweenHereAndThere(text, open, 0, 1));
    EXPECT_EQ(0, narrow.CountBeginsBetweenHereAndThere(text, open, 0, 0));
    EXPECT_TRUE(narrow.IsFirst(0, -1, 4, -1) && !narrow.IsFirst(3, -1, 0, -1));
    EXPECT_FALSE(narrow.IsFirst(-1, -1, -1, -1));
}

// Deep nesting ends without exhausting the stack; unbalanced nesting ends
// with the same result in both scans.
TEST_F(PreprocessorTest, ThousandLevelsDeep) {
    std::string open, close, unbalanced, loops;
    for (int level = 0; level < 1000; ++level) {
        open += "<!-- qvifvar name='yes' -->(";
        close += ")<!-- qvendifvar -->";
        unbalanced += "<!-- qvifvar name='show' -->";
        loops = "<!-- qvfor name='r' -->(" + loops + ")<!-- qvendfor -->";
    }
    const std::string parens = std::string(1000, '(') + std::string(1000, ')');
    EXPECT_EQ(PString(parens), narrow.Preprocess(PString(Q(open + close)), nullptr));
    const PString kept(Q(unbalanced + "x"));
    EXPECT_EQ(kept, narrow.Preprocess(kept, nullptr));
    EXPECT_EQ(kept, narrow.ExpandStepwise(kept));
    CheckLoop<ForHandler>(narrow, 1, PString(Q(loops)), PString(parens), PString("r"));
}

} // namespace
