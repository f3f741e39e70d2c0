// The file generators on real files, and redudi-generate run as a user runs it.
#include "preprocessor_fixtures.h"
#include "tests/files/scratch_directory.h"
#include "win32/log_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <sstream>

using namespace REDudi;
using namespace REDudi::testing;
using namespace std::string_literals;

namespace {

// Read and written as raw units: a byte-order mark, CR LF, units made of CR LF and of Ctrl-Z.
const std::string kRawUnits("\377\376a\0\r\0\n\0\r\n\032\046", 12);
std::string WideTemplate() {
    std::string bytes = kRawUnits;
    for (char c : Q("%var name='who' -->"))
        bytes += std::string(1, c) + '\0';
    return bytes + "."; // an odd last byte
}

// Sites in a scratch folder; outputs compared as one listing of files and texts.
class SiteTest : public testing_files::ScratchTest {
protected:
    // A fresh folder of `entries` (see Build) and templates below src, written as in Q.
    void MakeSite(const std::vector<std::string>& templates,
                  std::vector<std::string> entries = {"dst\\"}) {
        for (const std::string& entry : templates)
            entries.push_back("src\\" + Q(entry));
        Build(entries);
    }
    std::string Files(const std::string& folder) const {
        std::istringstream names(Tree(folder));
        std::string listing;
        for (std::string name; names >> name;)
            listing += (listing.empty() ? "" : " | ") + name + "=" + Content(folder + "\\" + name);
        return listing;
    }
};

class FileGeneratorTest : public SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        ASSERT_TRUE(bag->SetProperty("title", "Home"));
        generator.SetSourceDir(Spec("src"));
        generator.SetDestinationDir(Spec("dst"));
    }

    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    AFileGenerator generator;
};

TEST_F(FileGeneratorTest, GeneratesTemplateTrees) {
    const struct {
        const char* name;
        std::vector<std::string> templates;
        bool expected;
        const char* outputs;
    } rows[] = {
        {"one file, CR LF kept as the text mode makes it",
         {"index.htm=<h1>%var name='title' --></h1>\r\nend\n"},
         true,
         "index.htm=<h1>Home</h1>\r\nend\r\n"},
        {"breadth first, in the order of the directives",
         {"index.htm=%file source='a' dest='x' -->%file source='b' dest='x' -->", "a=from a",
          "b=from b"},
         true,
         "index.htm= | x=from b"},
        {"a missing second template fails after the first output",
         {"index.htm=first%file source='gone.htm' dest='gone.htm' -->"},
         false,
         "index.htm=first"},
        {"an output in a missing directory fails",
         {"index.htm=%file source='index.htm' dest='no\\where.htm' -->"},
         false,
         "index.htm="},
        {"templates naming each other end, also through other spellings",
         {"index.htm=i%file source='sub\\a.htm' dest='a.htm' -->",
          "sub\\a.htm=a%file source='sub\\..\\index.htm' dest='./index.htm' -->"},
         true,
         "a.htm=a | index.htm=i"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MakeSite(row.templates);
        AFileGenerator local(generator); // a fresh work list each time
        EXPECT_EQ(row.expected, local.Generate("index.htm", "index.htm", bag.get(), nullptr));
        EXPECT_EQ(row.outputs, Files("dst"));
    }
}

// Without a provider nothing is made; a copy or an assigned generator adds
// files to its own work list; a loop handler stays for later runs.
TEST_F(FileGeneratorTest, ProviderCopiesAndLoopHandler) {
    MakeSite({"index.htm=%file source='list.htm' dest='list.htm' -->",
              "list.htm=%for name='r' -->-%endfor -->"});
    EXPECT_FALSE(generator.Generate("index.htm", "index.htm", nullptr, nullptr));
    EXPECT_FALSE(AFileGeneratorUnicode().Generate(Wide("i"), Wide("i"), nullptr, nullptr));
    EXPECT_EQ("", Files("dst"));
    ATextPreprocessor unused; // the handler's SetN target
    PassingHandler<ATextPreprocessor, ForHandler, PString> twice(unused, 2);
    auto original = std::make_unique<AFileGenerator>(generator);
    AFileGenerator copy(*original), assigned;
    assigned = *original;
    original.reset();
    ASSERT_TRUE(copy.Generate("index.htm", "index.htm", bag.get(), &twice));
    ASSERT_TRUE(copy.Generate("list.htm", "again.htm", bag.get(), nullptr));
    EXPECT_EQ("again.htm=-- | index.htm= | list.htm=--", Files("dst"));
    DeleteFileA(Path("dst\\list.htm").c_str());
    ASSERT_TRUE(assigned.Generate("index.htm", "index.htm", bag.get(), &twice));
    EXPECT_EQ("--", Content("dst\\list.htm"));
}

TEST_F(SiteTest, GenerateToolBuildsSitesAndReportsFailures) {
    const struct {
        const char* arguments; // {site}: the scratch folder; {run}: the usual site and template
        DWORD exitCode;
        const char* outputHas;  // in standard output and error together
        std::string files = {}; // below out
    } rows[] = {
        {"{run}", 0, "out\\page.htm", "index.htm=<title></title>+ | page.htm=<p></p>"},
        {"{run} --ini {site}\\vars.ini --section site --set who=cli --set extra=0", 0,
         "out\\index.htm", "index.htm=<title>From INI</title> | page.htm=<p>cli</p>"},
        {"{run} --set who=a --set who=b --json", 0, "\"error\":null",
         "index.htm=<title></title>+ | page.htm=<p>b</p>"},
        {"--source {site}\\src --dest {site}\\out w.htm --wide --set who=Zo", 0, "",
         "w.htm=" + kRawUnits + "Z\0o\0"s},
        {"--source {site}\\src --dest {site}\\out none.htm --wide", 1, "template not found"},
        {"--source {site}\\src --dest {site}\\new index.htm", 1, "does not exist"},
        {"--source {site}\\nowhere --dest {site}\\out index.htm", 1, "source directory"},
        {"{run} --ini {site}\\vars.ini --section None", 1, "no section"},
        {"{run} --ini {site}\\vars.ini", 2, "go together"},
        {"--source {site}\\src index.htm", 2, "required"},
        {"{run} --set =x", 2, "NAME=VALUE"},
        {"--bogus", 2, "unknown option"},
        {"--help", 0, "usage: redudi-generate"},
        {"--source {site}\\src --dest {site}\\made\\deeper --mkdir index.htm", 0,
         "deeper\\page.htm"},
    };
    for (const auto& row : rows) {
        MakeSite({"index.htm=<title>%var name='title' --></title>%ifvar name='extra' -->+%endifvar "
                  "-->%file source='sub\\page.htm' dest='page.htm' -->",
                  "sub\\page.htm=<p>%var name='who' --></p>%file source='index.htm' "
                  "dest='index.htm' -->",
                  "w.htm=" + WideTemplate()},
                 {"out\\", "vars.ini=; site settings\r\n[Other]\r\nwho=nobody\r\n[Site]\r\n"
                           "title = From INI\r\nwho=ini\r\n"});
        std::string arguments = row.arguments;
        for (std::size_t at; (at = arguments.find("{run}")) != std::string::npos;)
            arguments.replace(at, 5, "--source {site}\\src --dest {site}\\out index.htm");
        for (std::size_t at; (at = arguments.find("{site}")) != std::string::npos;)
            arguments.replace(at, 6, Path(""));
        std::string output;
        const DWORD exitCode = RunBeside("redudi-generate.exe", arguments, &output);
        SCOPED_TRACE(arguments + "\n" + output);
        EXPECT_EQ(row.exitCode, exitCode);
        EXPECT_NE(std::string::npos, output.find(row.outputHas));
        EXPECT_EQ(row.files, Files("out"));
    }
}

} // namespace
