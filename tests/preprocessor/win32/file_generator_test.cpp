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
using REDudi::testing::SiteFolder;
using REDudi::testing::Wide;

namespace {

class FileGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(site.MakeDirectory("src"));
        ASSERT_TRUE(site.MakeDirectory("dst"));
        ASSERT_TRUE(bag->SetProperty("title", "Home"));
        ASSERT_TRUE(bag->SetProperty("show", "0"));
        generator.SetSourceDir(site.Spec("src"));
        generator.SetDestinationDir(site.Spec("dst"));
    }

    SiteFolder site;
    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    AFileGenerator generator;
};

struct TreeRow {
    const char* name;
    std::vector<std::pair<const char*, const char*>> templates; // below src
    bool expected;
    std::vector<std::pair<const char*, const char*>> outputs; // below dst; null: absent
};

TEST_F(FileGeneratorTest, GeneratesTemplateTrees) {
    const TreeRow rows[] = {
        {"one file, CR LF kept as the text mode makes it",
         {{"index.htm", "<h1><!-- qvvar name=\"title\" --></h1>\r\nend\n"}},
         true,
         {{"index.htm", "<h1>Home</h1>\r\nend\r\n"}}},
        {"a directive names a template in a sub-directory",
         {{"index.htm", "a<!-- qvfile source=\"sub\\part.htm\" dest=\"part.htm\" -->b"},
          {"sub\\part.htm", "<!-- qvvar name=\"title\" -->"}},
         true,
         {{"index.htm", "ab"}, {"part.htm", "Home"}}},
        {"breadth first, in the order of the directives",
         {{"index.htm",
           "<!-- qvfile source=\"a\" dest=\"x\" --><!-- qvfile source=\"b\" dest=\"x\" -->"},
          {"a", "from a"},
          {"b", "from b"}},
         true,
         {{"index.htm", ""}, {"x", "from b"}}},
        {"a missing second template fails after the first output",
         {{"index.htm", "first<!-- qvfile source=\"gone.htm\" dest=\"gone.htm\" -->"}},
         false,
         {{"index.htm", "first"}, {"gone.htm", nullptr}}},
        {"an output in a missing directory fails",
         {{"index.htm", "<!-- qvfile source=\"index.htm\" dest=\"no\\where.htm\" -->"}},
         false,
         {{"index.htm", ""}, {"no\\where.htm", nullptr}}},
        {"a template naming itself ends",
         {{"index.htm", "x<!-- qvfile source=\"index.htm\" dest=\"index.htm\" -->"}},
         true,
         {{"index.htm", "x"}}},
        {"templates naming each other end, also through other spellings",
         {{"index.htm", "i<!-- qvfile source=\"sub\\a.htm\" dest=\"a.htm\" -->"},
          {"sub\\a.htm", "a<!-- qvfile source=\"sub\\..\\index.htm\" dest=\"./index.htm\" -->"}},
         true,
         {{"index.htm", "i"}, {"a.htm", "a"}}},
    };
    for (const TreeRow& row : rows) {
        SiteFolder tree;
        ASSERT_TRUE(tree.MakeDirectory("src") && tree.MakeDirectory("dst"));
        for (const auto& [path, text] : row.templates)
            ASSERT_TRUE(tree.Write(std::string("src\\") + path, text)) << row.name;
        AFileGenerator local;
        local.SetSourceDir(tree.Spec("src"));
        local.SetDestinationDir(tree.Spec("dst"));
        EXPECT_EQ(row.expected, local.Generate("index.htm", "index.htm", bag.get(), nullptr))
            << row.name;
        for (const auto& [path, text] : row.outputs) {
            bool exists = false;
            std::string written = tree.Read(std::string("dst\\") + path, &exists);
            EXPECT_EQ(text != nullptr, exists) << row.name << ": " << path;
            if (text) {
                EXPECT_EQ(text, written) << row.name << ": " << path;
            }
        }
    }
}

TEST_F(FileGeneratorTest, NullProviderWritesNothing) {
    ASSERT_TRUE(site.Write("src\\index.htm", "x"));
    EXPECT_FALSE(generator.Generate("index.htm", "index.htm", nullptr, nullptr));
    bool exists = true;
    site.Read("dst\\index.htm", &exists);
    EXPECT_FALSE(exists);
    EXPECT_TRUE(generator.Generate("index.htm", "index.htm", bag.get(), nullptr));
}

TEST_F(FileGeneratorTest, LoopHandlerDrivesLoops) {
    ASSERT_TRUE(site.Write("src\\list.htm", "<!-- qvfor name=\"r\" -->-<!-- qvendfor -->"));
    struct Twice : ForHandler {
        int passes = 0;
        bool BeginFor(PString&) override { return (passes = 1) != 0; }
        bool NextFor(PString&) override { return ++passes <= 2; }
    } twice;
    ASSERT_TRUE(generator.Generate("list.htm", "list.htm", bag.get(), &twice));
    EXPECT_EQ("--", site.Read("dst\\list.htm"));
    // A null handler keeps the one set before.
    ASSERT_TRUE(generator.Generate("list.htm", "again.htm", bag.get(), nullptr));
    EXPECT_EQ("--", site.Read("dst\\again.htm"));
}

TEST_F(FileGeneratorTest, CopiesReportToThemselves) {
    ASSERT_TRUE(site.Write("src\\index.htm", "<!-- qvfile source=\"b.htm\" dest=\"b.htm\" -->"));
    ASSERT_TRUE(site.Write("src\\b.htm", "b"));
    auto original = std::make_unique<AFileGenerator>(generator);
    AFileGenerator copy(*original);
    AFileGenerator assigned;
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
    for (char c : std::string("<!-- qvvar name=\"title\" -->"))
        directive += std::string(1, c) + '\0';
    ASSERT_TRUE(site.Write("src\\w.htm", bytes + directive + "!"));
    std::unique_ptr<PropertyBagUnicode> wideBag{PropertyBagUnicode::GetNewPropertyBag()};
    ASSERT_TRUE(wideBag->SetProperty("title", Wide("Hi").c_str()));
    AFileGeneratorUnicode wide;
    AFileSpecUnicode source(site.Spec("src")), dest(site.Spec("dst"));
    wide.SetSourceDir(source);
    wide.SetDestinationDir(dest);
    ASSERT_TRUE(wide.Generate(Wide("w.htm"), Wide("w.htm"), wideBag.get(), nullptr));
    EXPECT_EQ(bytes + std::string("H\0i\0", 4), site.Read("dst\\w.htm"));
    EXPECT_FALSE(wide.Generate(Wide("none.htm"), Wide("w.htm"), wideBag.get(), nullptr));
    EXPECT_FALSE(wide.Generate(Wide("w.htm"), Wide("w.htm"), nullptr, nullptr));
}

} // namespace
