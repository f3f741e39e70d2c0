// The file generators on real files: template trees, failures, repeats,
// copies, and the raw 16-bit reading and writing of the wide generator.
#include "preprocessor_fixtures.h"
#include "win32/site_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

using namespace REDudi;
using REDudi::testing::Q;
using REDudi::testing::Wide;

namespace {

class FileGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bag->SetProperty("title", "Home"));
        ASSERT_TRUE(site.MakeDirectory("src") && site.MakeDirectory("dst"));
        generator.SetSourceDir(site.Spec("src"));
        generator.SetDestinationDir(site.Spec("dst"));
    }

    REDudi::testing::SiteFolder site;
    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    AFileGenerator generator;
};

TEST_F(FileGeneratorTest, GeneratesTemplateTrees) {
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, const char*>> templates; // below src
        bool expected;
        std::vector<std::pair<const char*, const char*>> outputs; // below dst; null: absent
    };
    const Row rows[] = {
        {"one file, CR LF kept as the text mode makes it",
         {{"index.htm", "<h1><!-- qvvar name='title' --></h1>\r\nend\n"}},
         true,
         {{"index.htm", "<h1>Home</h1>\r\nend\r\n"}}},
        {"a directive names a template in a sub-directory",
         {{"index.htm", "a<!-- qvfile source='sub\\part.htm' dest='part.htm' -->b"},
          {"sub\\part.htm", "<!-- qvvar name='title' -->"}},
         true,
         {{"index.htm", "ab"}, {"part.htm", "Home"}}},
        {"breadth first, in the order of the directives",
         {{"index.htm", "<!-- qvfile source='a' dest='x' --><!-- qvfile source='b' dest='x' -->"},
          {"a", "from a"},
          {"b", "from b"}},
         true,
         {{"index.htm", ""}, {"x", "from b"}}},
        {"a missing second template fails after the first output",
         {{"index.htm", "first<!-- qvfile source='gone.htm' dest='gone.htm' -->"}},
         false,
         {{"index.htm", "first"}, {"gone.htm", nullptr}}},
        {"an output in a missing directory fails",
         {{"index.htm", "<!-- qvfile source='index.htm' dest='no\\where.htm' -->"}},
         false,
         {{"index.htm", ""}, {"no\\where.htm", nullptr}}},
        {"a template naming itself ends",
         {{"index.htm", "x<!-- qvfile source='index.htm' dest='index.htm' -->"}},
         true,
         {{"index.htm", "x"}}},
        {"templates naming each other end, also through other spellings",
         {{"index.htm", "i<!-- qvfile source='sub\\a.htm' dest='a.htm' -->"},
          {"sub\\a.htm", "a<!-- qvfile source='sub\\..\\index.htm' dest='./index.htm' -->"}},
         true,
         {{"index.htm", "i"}, {"a.htm", "a"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::error_code ignored;
        std::filesystem::remove_all(site.Path("src"), ignored);
        std::filesystem::remove_all(site.Path("dst"), ignored);
        ASSERT_TRUE(site.MakeDirectory("src") && site.MakeDirectory("dst"));
        for (const auto& [path, text] : row.templates)
            ASSERT_TRUE(site.Write(std::string("src\\") + path, Q(text)));
        AFileGenerator local(generator); // a fresh work list each time
        EXPECT_EQ(row.expected, local.Generate("index.htm", "index.htm", bag.get(), nullptr));
        for (const auto& [path, text] : row.outputs) {
            bool exists = false;
            std::string written = site.Read(std::string("dst\\") + path, &exists);
            EXPECT_EQ(text != nullptr, exists) << path;
            EXPECT_EQ(text ? text : "", written) << path;
        }
    }
}

TEST_F(FileGeneratorTest, NeedsAProviderAndKeepsTheLastLoopHandler) {
    ASSERT_TRUE(site.Write("src\\list.htm", Q("<!-- qvfor name='r' -->-<!-- qvendfor -->")));
    bool exists = true;
    EXPECT_FALSE(generator.Generate("list.htm", "list.htm", nullptr, nullptr));
    site.Read("dst\\list.htm", &exists);
    EXPECT_FALSE(exists);
    ATextPreprocessor unused; // the handler's SetN target
    REDudi::testing::PassingHandler<ATextPreprocessor, ForHandler, PString> twice(unused, 2);
    ASSERT_TRUE(generator.Generate("list.htm", "list.htm", bag.get(), &twice));
    EXPECT_EQ("--", site.Read("dst\\list.htm"));
    ASSERT_TRUE(generator.Generate("list.htm", "again.htm", bag.get(), nullptr));
    EXPECT_EQ("--", site.Read("dst\\again.htm"));
}

TEST_F(FileGeneratorTest, CopiesReportToThemselves) {
    ASSERT_TRUE(site.Write("src\\index.htm", Q("<!-- qvfile source='b.htm' dest='b.htm' -->")));
    ASSERT_TRUE(site.Write("src\\b.htm", "b"));
    auto original = std::make_unique<AFileGenerator>(generator);
    AFileGenerator copy(*original), assigned;
    assigned = *original;
    original.reset();
    for (AFileGenerator* each : {&copy, &assigned}) {
        DeleteFileA(site.Path("dst\\b.htm").c_str());
        ASSERT_TRUE(each->Generate("index.htm", "index.htm", bag.get(), nullptr));
        EXPECT_EQ("b", site.Read("dst\\b.htm"));
    }
}

TEST_F(FileGeneratorTest, WideGeneratorKeepsUnitsRaw) {
    // Byte-order mark, CR LF, a unit beyond Latin-1 and an odd last byte.
    std::string bytes("\xFF\xFE"
                      "a\0\r\0\n\0\x03\x26",
                      10);
    std::string directive;
    for (char c : Q("<!-- qvvar name='title' -->"))
        directive += std::string(1, c) + '\0';
    ASSERT_TRUE(site.Write("src\\w.htm", bytes + directive + "!"));
    std::unique_ptr<PropertyBagUnicode> wideBag{PropertyBagUnicode::GetNewPropertyBag()};
    ASSERT_TRUE(wideBag->SetProperty("title", Wide("Hi").c_str()));
    AFileGeneratorUnicode wide;
    wide.SetSourceDir(AFileSpecUnicode(site.Spec("src")));
    wide.SetDestinationDir(AFileSpecUnicode(site.Spec("dst")));
    ASSERT_TRUE(wide.Generate(Wide("w.htm"), Wide("w.htm"), wideBag.get(), nullptr));
    EXPECT_EQ(bytes + std::string("H\0i\0", 4), site.Read("dst\\w.htm"));
    EXPECT_FALSE(wide.Generate(Wide("none.htm"), Wide("w.htm"), wideBag.get(), nullptr));
    EXPECT_FALSE(wide.Generate(Wide("w.htm"), Wide("w.htm"), nullptr, nullptr));
}

} // namespace
