// Both preprocessors on tables of templates, each also through the stepwise scan.
#include "preprocessor_fixtures.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

UString WithUnit(const char* before, unsigned short unit, const char* after) {
    return Wide(Q(before)) + UString(&unit, 1) + Wide(Q(after));
}

// A thousand levels around "(" and ")": deep nesting must end without
// exhausting the stack.
std::string Deep(const std::string& open, const std::string& close) {
    std::string text;
    for (int level = 0; level < 1000; ++level)
        text = open + text + close;
    return text;
}
const std::string kParens = std::string(1000, '(') + std::string(1000, ')');

// clang-format off
const char* const kValues[] = {"title", "Report", "show", "0", "yes", "1", "zeros", "00", "i0",
    "a", "i1", "b", "i2", "c", "i2147483647", "big", "i4294967295", "last", "evil",
    "%var name='title' -->"};
// clang-format on

class PreprocessorTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::size_t at = 0; at < std::size(kValues); at += 2) {
            ASSERT_TRUE(bag->SetProperty(kValues[at], Q(kValues[at + 1]).c_str()));
            ASSERT_TRUE(wideBag->SetProperty(kValues[at], Wide(Q(kValues[at + 1])).c_str()));
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
        auto check = [](auto& preprocessor, const auto& text, const auto& expected) {
            auto result = preprocessor.Preprocess(text, nullptr);
            EXPECT_EQ(expected, result);
            EXPECT_EQ(result, preprocessor.ExpandStepwise(text));
        };
        check(narrow, PString(Q(input)), PString(Q(expected)));
        check(wide, Wide(Q(input)), Wide(Q(wideExpected ? wideExpected : expected.c_str())));
    }

    template <class Handler, class Preprocessor, class Text>
    void CheckLoop(Preprocessor& preprocessor, unsigned int passes, const Text& input,
                   const Text& expected, const Text& loopName) {
        REDudi::testing::PassingHandler<Preprocessor, Handler, Text> handler(preprocessor, passes);
        preprocessor.SetForHandler(&handler);
        preprocessor.SetN(0);
        EXPECT_EQ(expected, preprocessor.Preprocess(input, nullptr));
        EXPECT_EQ(loopName, handler.names.empty() ? Text() : handler.names.front());
    }

    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    std::unique_ptr<PropertyBagUnicode> wideBag{PropertyBagUnicode::GetNewPropertyBag()};
    REDudi::testing::Stepwise<ATextPreprocessor, PString> narrow;
    REDudi::testing::Stepwise<ATextPreprocessorUnicode, UString> wide;
    REDudi::testing::RecordingFiles<FileGenerationHandler, PString> files;
    REDudi::testing::RecordingFiles<FileGenerationHandlerUnicode, UString> wideFiles;
};

TEST_F(PreprocessorTest, ExpandsDirectivesAndKeepsMalformedOnes) {
    const struct {
        std::string input, expected;
        const char* wideExpected = nullptr;
    } rows[] = {
        {"plain <!-- text --> % stays", "plain <!-- text --> % stays"},
        {"<h1>%var name='title' --></h1>", "<h1>Report</h1>"},
        {"[%var title -->][%var name='title'", "[%var title -->][%var name='title'"},
        {"[%var name='missing' -->%var name='title -->]", "[]"},
        {"%var name='evil' -->", "%var name='title' -->"},
        {"%var x name='title' y -->%ifvar name='yes' -->!%endifvar -->", "Report!"},
        {"%var name='i' n='' -->", "a", "%var name='i' n='' -->"},
        {"%var name='i' n='\b2' -->|%var name='i' n='\0162' -->", "a|a"},
        {"%var name='i' n='2' -->%var name='i' n=' 1x' -->%var name='i' n='\t\r2' -->%var "
         "name='i' n='-1' -->",
         "cbclast"},
        {"%var name='i' n='99999999999' -->", "big", "last"},
        {"[%var name='i' n='2 -->%var n='1' name='i' -->]", "[%var name='i' n='2 -->]"},
        {"[%var name='title' --> n='1']", "[Report n='1']"},
        {"%ifvar name='yes' -->a%endifvar -->%ifvar name='missing' -->b%endifvar -->%ifvar "
         "name='zeros' -->c%endifvar -->%ifvar name='show' -->d%endifvar -->e",
         "abce"},
        {"%ifvar name='show' -->a%ifvar name='yes' -->b%endifvar -->c%endifvar -->d", "d"},
        {"%ifvar name='yes' -->[%ifvar name='show' -->x%endifvar -->]%endifvar -->", "[]"},
        {"%ifvar name='show' -->a%endifvar-->%var name='title' -->",
         "%ifvar name='show' -->a%endifvar-->Report"},
        {"%ifvar -->x%endifvar -->%for -->x%endfor -->%endfor -->",
         "%ifvar -->x%endifvar -->%for -->x%endfor -->%endfor -->"},
        {"%ifvar name='yes' -->%for name='i' -->%endifvar -->x%endfor -->y", "y"},
        {"%ifvar name='show' -->%ifvar name='yes' -->%endifvar -->", "%ifvar name='show' -->"},
        {"%ifvar name='yes' -->%var name='title' %endifvar -->.-->!", "Report!"},
        {"%ifvar name='yes' -->x%%endifvar -->var name='title' -->", "xReport"},
        {"%ifvar name='yes' -->x<!-- q%endifvar -->vvar name='title' -->", "xReport"},
        {"%ifvar name='yes' -->x%endifvar -->%endifvar -->", "x%endifvar -->"},
        {"a%for name='i' -->x", "a%for name='i' -->x"},
        {"a%file source='s.htm' dest='d.htm' -->b%for name='i' -->x%endfor -->c", "abc"},
        {"a%file dest='d' source='s' -->b%file source='s' dest='d -->c%file source='s' dest='d'",
         "a%file dest='d' source='s' -->b%file source='s' dest='d -->c%file source='s' dest='d'"},
    };
    for (const auto& row : rows)
        Check(row.input, row.expected, row.wideExpected);
    narrow.SetN(2);
    wide.SetN(2);
    Check("%var name='i' n='auto' -->%var name='i' n='Auto' -->", "ca");
}

TEST_F(PreprocessorTest, LoopsRunOncePerPassWithCurrentValues) {
    const struct {
        unsigned int passes;
        std::string input, expected;
        const char *loopName, *wideLoopName;
    } rows[] = {
        {0, "[%for name='i' -->x%endfor -->]", "[]", "i", "i"},
        {1, "[%for name='i' -->%var name='i' n='auto' -->%endfor -->]", "[a]", "i", "i"},
        {3, "[%for name='i' n='7' -->%var name='i' n='auto' -->%endfor -->]", "[abc]", "i7", "i7"},
        {2, "%for name='r' -->%for name='c' -->x%endfor -->|%endfor -->", "xx|xx|", "r", "r"},
        {2, "%for name='r' n='auto' -->.%endfor -->", "..", "r0", "rauto"},
        {1, "%for name='r' n='03' -->.%endfor -->", ".", "r3", "r03"},
        {1, "%for name='r' n='-1' -->.%endfor -->", ".", "r-1", "r-1"},
        {1, Deep("%for name='r' -->(", ")%endfor -->"), kParens, "r", "r"},
        {1, Deep("%ifvar name='yes' -->(", ")%endifvar -->"), kParens, "", ""},
        // The second loop is written as the first, but its body ends at the
        // conditional's closing text.
        {1,
         "%for name='r' -->A%endifvar -->%endfor -->%ifvar name='yes' -->%for name='r' "
         "-->A%endifvar -->%endfor -->",
         "A<!-- qvendifvar -->A", "r", "r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        CheckLoop<ForHandler>(narrow, row.passes, PString(Q(row.input)), PString(row.expected),
                              PString(row.loopName));
        CheckLoop<ForHandlerUnicode>(wide, row.passes, Wide(Q(row.input)), Wide(row.expected),
                                     Wide(row.wideLoopName));
    }
}

// A per-call provider first, then the default; values asked for again once a bag changed
// (between loop passes) and always from other providers. No default provider, no text.
TEST_F(PreprocessorTest, ProvidersInTurn) {
    std::unique_ptr<PropertyBag> local{PropertyBag::GetNewPropertyBag()};
    std::unique_ptr<PropertyBagUnicode> wideLocal{PropertyBagUnicode::GetNewPropertyBag()};
    ASSERT_TRUE(local->SetProperty("title", "L") && local->SetProperty("i1", "M"));
    ASSERT_TRUE(wideLocal->SetProperty("title", Wide("L").c_str()) &&
                wideLocal->SetProperty("i1", Wide("M").c_str()));
    const std::string text = Q("%var name='title' -->|%var name='i' n='1' -->|%var name='i' "
                               "n='2' -->|%var name='show' -->");
    EXPECT_EQ(PString("L|M|c|0"), narrow.Preprocess(PString(text), local.get()));
    EXPECT_EQ(Wide("L|M|c|0"), wide.Preprocess(Wide(text), wideLocal.get()));
    struct Stamping : ForHandler {
        PropertyBag* bag;
        unsigned int pass = 0;
        bool BeginFor(PString&) override { return Stamp(pass = 0); }
        bool NextFor(PString&) override { return Stamp(++pass); }
        bool Stamp(unsigned int value) { return bag->SetProperty("title", value) && value < 3; }
    } stamping;
    stamping.bag = bag.get();
    narrow.SetForHandler(&stamping);
    EXPECT_EQ(PString("Report0123"),
              narrow.Preprocess(PString(Q("%var name='title' -->%for name='r' -->%var "
                                          "name='title' -->%endfor -->%var name='title' -->")),
                                nullptr));
    struct Counting : PropertyBag {
        unsigned int calls = 0;
        bool GetVariableValue(const PString&, PString& value) override {
            value = std::to_string(calls++);
            return true;
        }
    } counting;
    EXPECT_EQ(PString("01"),
              narrow.Preprocess(PString(Q("%var name='x' -->%var name='x' -->")), &counting));
    struct Texts : TextProvider {
        PString GetText(unsigned int id) override {
            return Q(id == 7 ? "%var name='title' -->!" : "-");
        }
    } texts;
    narrow.SetTextProvider(&texts);
    EXPECT_EQ(PString("3!"), narrow.Preprocess(7u, nullptr));
    ATextPreprocessor bare;
    ATextPreprocessorUnicode wideBare;
    bare.SetTextProvider(&texts);
    EXPECT_EQ(PString(), PString(bare.Preprocess(PString("text"), bag.get()) +
                                 bare.Preprocess(7u, bag.get())));
    EXPECT_EQ(UString(), UString(wideBare.Preprocess(Wide("text"), wideBag.get()) +
                                 wideBare.Preprocess(1u, wideBag.get())));
}

TEST_F(PreprocessorTest, WideNamesAndIndexTextsMustBeAscii) {
    for (const UString& row :
         {WithUnit("%var name='tit", 0xE9, "' -->"), WithUnit("%var name='i' n='", 0x0663, "' -->"),
          WithUnit("%ifvar name='sh", 0x2603, "' -->x%endifvar -->"),
          WithUnit("%for name='", 0x80, "' -->x%endfor -->")})
        EXPECT_EQ(row, wide.Preprocess(row, nullptr));
    // So does such a variable in a loop body, in every pass.
    const UString kept = WithUnit("[%var name='", 0xE9, "' -->]");
    CheckLoop<ForHandlerUnicode>(
        wide, 2, UString(Wide(Q("%for name='r' -->")) + kept + Wide(Q("%endfor -->"))),
        UString(kept + kept), Wide("r"));
    // Other units beyond ASCII, even unpaired surrogates, are copied unchanged.
    const UString snow = WithUnit("[", 0x2603, "") + WithUnit("", 0xD83D, "]");
    ASSERT_TRUE(wideBag->SetProperty("snow", snow.c_str()));
    EXPECT_EQ(WithUnit("<", 0xFFFF, "") + snow,
              wide.Preprocess(WithUnit("<", 0xFFFF, "%var name='snow' -->"), nullptr));
    wide.Preprocess(WithUnit("%file source='", 0x4E2D, "' dest='out' -->"), nullptr);
    EXPECT_EQ(WithUnit("", 0x4E2D, ""), wideFiles.files.at(0).first);
}

} // namespace
