// The file generators on real files (template trees, failures, repeats,
// copies, raw 16-bit text) and redudi-generate run as a user runs it.
#include "preprocessor_fixtures.h"
#include "win32/child_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

// A temporary folder of templates and outputs, unique to the process and the test,
// removed with everything in it at the end. Relative paths use backslashes.
class SiteFolder {
public:
    SiteFolder() {
        std::filesystem::remove_all(root_, ignored_);
        std::filesystem::create_directory(root_, ignored_);
    }
    ~SiteFolder() { std::filesystem::remove_all(root_, ignored_); }

    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
    // Writes the bytes unchanged, creating the file's directory if needed.
    bool Write(const std::string& relative, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        return static_cast<bool>(std::ofstream(Path(relative), std::ios::binary) << bytes);
    }
    // The file's bytes, "(none)" when it cannot be read.
    std::string Read(const std::string& relative) const {
        std::ifstream file(Path(relative), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return file ? text.str() : "(none)";
    }
    AFileSpec Spec(const std::string& relative) const {
        AFileSpec spec;
        spec.SetPersistentData(Path(relative).c_str(),
                               static_cast<unsigned int>(Path(relative).size()));
        return spec;
    }

private:
    std::error_code ignored_;
    const std::string root_ = (std::filesystem::temp_directory_path() /
                               ("redudi_site_" + std::to_string(GetCurrentProcessId()) + "_" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                                  .string();
};

class FileGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bag->SetProperty("title", "Home"));
        ASSERT_TRUE(std::filesystem::create_directory(site.Path("src")) &&
                    std::filesystem::create_directory(site.Path("dst")));
        generator.SetSourceDir(site.Spec("src"));
        generator.SetDestinationDir(site.Spec("dst"));
    }

    SiteFolder site;
    std::unique_ptr<PropertyBag> bag{PropertyBag::GetNewPropertyBag()};
    AFileGenerator generator;
};

TEST_F(FileGeneratorTest, GeneratesTemplateTrees) {
    using Files = std::vector<std::pair<const char*, const char*>>;
    struct Row {
        const char* name;
        Files templates; // below src
        bool expected;
        Files outputs; // below dst; null: absent
    };
    // clang-format off
    const Row rows[] = {
        {"one file, CR LF kept as the text mode makes it",
         {{"index.htm", "<h1>%var name='title' --></h1>\r\nend\n"}},
         true, {{"index.htm", "<h1>Home</h1>\r\nend\r\n"}}},
        {"breadth first, in the order of the directives",
         {{"index.htm", "%file source='a' dest='x' -->%file source='b' dest='x' -->"},
          {"a", "from a"}, {"b", "from b"}},
         true, {{"index.htm", ""}, {"x", "from b"}}},
        {"a missing second template fails after the first output",
         {{"index.htm", "first%file source='gone.htm' dest='gone.htm' -->"}},
         false, {{"index.htm", "first"}, {"gone.htm", nullptr}}},
        {"an output in a missing directory fails",
         {{"index.htm", "%file source='index.htm' dest='no\\where.htm' -->"}},
         false, {{"index.htm", ""}, {"no\\where.htm", nullptr}}},
        {"templates naming each other end, also through other spellings",
         {{"index.htm", "i%file source='sub\\a.htm' dest='a.htm' -->"},
          {"sub\\a.htm", "a%file source='sub\\..\\index.htm' dest='./index.htm' -->"}},
         true, {{"index.htm", "i"}, {"a.htm", "a"}}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(site.Path("src"));
        std::filesystem::remove_all(site.Path("dst"));
        ASSERT_TRUE(std::filesystem::create_directory(site.Path("src")) &&
                    std::filesystem::create_directory(site.Path("dst")));
        for (const auto& [path, text] : row.templates)
            ASSERT_TRUE(site.Write(std::string("src\\") + path, Q(text)));
        AFileGenerator local(generator); // a fresh work list each time
        EXPECT_EQ(row.expected, local.Generate("index.htm", "index.htm", bag.get(), nullptr));
        for (const auto& [path, text] : row.outputs)
            EXPECT_EQ(text ? text : "(none)", site.Read(std::string("dst\\") + path)) << path;
    }
}

TEST_F(FileGeneratorTest, NeedsAProviderAndKeepsTheLastLoopHandler) {
    ASSERT_TRUE(site.Write("src\\list.htm", Q("%for name='r' -->-%endfor -->")));
    EXPECT_FALSE(generator.Generate("list.htm", "list.htm", nullptr, nullptr));
    EXPECT_EQ("(none)", site.Read("dst\\list.htm"));
    ATextPreprocessor unused; // the handler's SetN target
    PassingHandler<ATextPreprocessor, ForHandler, PString> twice(unused, 2);
    ASSERT_TRUE(generator.Generate("list.htm", "list.htm", bag.get(), &twice));
    EXPECT_EQ("--", site.Read("dst\\list.htm"));
    ASSERT_TRUE(generator.Generate("list.htm", "again.htm", bag.get(), nullptr));
    EXPECT_EQ("--", site.Read("dst\\again.htm"));
}

TEST_F(FileGeneratorTest, CopiesReportToThemselves) {
    ASSERT_TRUE(site.Write("src\\index.htm", Q("%file source='b.htm' dest='b.htm' -->")));
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
    // Byte-order mark, CR LF, units whose bytes are CR LF and Ctrl-Z, an odd last byte.
    std::string bytes("\377\376a\0\r\0\n\0\r\n\032\046", 12);
    std::string directive;
    for (char c : Q("%var name='title' -->"))
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

class GenerateToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(site.Write("src\\index.htm", Q("<title>%var name='title' --></title>%ifvar "
                                                   "name='extra' -->+%endifvar -->%file "
                                                   "source='sub\\page.htm' dest='page.htm' -->")));
        ASSERT_TRUE(site.Write(
            "src\\sub\\page.htm",
            Q("<p>%var name='who' --></p>%file source='index.htm' dest='index.htm' -->")));
        ASSERT_TRUE(site.Write("vars.ini", "; site settings\r\n[Other]\r\nwho=nobody\r\n"
                                           "[Site]\r\ntitle = From INI\r\nwho=ini\r\n"));
        ASSERT_TRUE(std::filesystem::create_directory(site.Path("out")));
    }

    // Runs the tool on `arguments`, where {site} stands for the site folder and {run} for the
    // usual source, destination and template; gives the exit code and the output (standard
    // output and error together).
    std::pair<DWORD, std::string> Generate(std::string arguments) {
        for (std::size_t at; (at = arguments.find("{run}")) != std::string::npos;)
            arguments.replace(at, 5, "--source {site}\\src --dest {site}\\out index.htm");
        for (std::size_t at; (at = arguments.find("{site}")) != std::string::npos;)
            arguments.replace(at, 6, site.Path("."));
        DWORD exitCode = 0xDEAD;
        std::string capture = site.Path("capture.txt");
        ChildProcess tool;
        EXPECT_TRUE(tool.Start("\"" + ExecutableBeside("redudi-generate.exe") + "\" " + arguments,
                               capture));
        EXPECT_TRUE(tool.Wait(30000, exitCode)) << "did not end: " << arguments;
        return {exitCode, ReadWholeFile(capture)};
    }

    SiteFolder site;
};

TEST_F(GenerateToolTest, GeneratesSitesAndReportsFailures) {
    struct Row { // index and page: the expected out\index.htm and out\page.htm, null: absent
        const char* arguments;
        DWORD exitCode;
        const char *outputHas, *index = nullptr, *page = nullptr;
    };
    const Row rows[] = {
        {"{run}", 0, "out\\page.htm", "<title></title>+", "<p></p>"},
        {"{run} --ini {site}\\vars.ini --section site --set who=cli --set extra=0", 0,
         "out\\index.htm", "<title>From INI</title>", "<p>cli</p>"},
        {"{run} --set who=a --set who=b --json", 0, "\"error\":null", "<title></title>+",
         "<p>b</p>"},
        {"--source {site}\\src --dest {site}\\out missing.htm", 1, "template not found"},
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
    for (const Row& row : rows) {
        DeleteFileA(site.Path("out\\index.htm").c_str());
        DeleteFileA(site.Path("out\\page.htm").c_str());
        auto [exitCode, output] = Generate(row.arguments);
        SCOPED_TRACE(std::string(row.arguments) + "\n" + output);
        EXPECT_EQ(row.exitCode, exitCode);
        EXPECT_NE(std::string::npos, output.find(row.outputHas));
        for (auto [path, expected] :
             {std::pair{"out\\index.htm", row.index}, {"out\\page.htm", row.page}})
            EXPECT_EQ(expected ? expected : "(none)", site.Read(path)) << path;
    }
}

TEST_F(GenerateToolTest, WideTemplatesStayRaw) {
    std::string wide("\xFF\xFE", 2);
    for (char c : Q("%var name='who' -->\r\n"))
        wide += std::string(1, c) + '\0';
    ASSERT_TRUE(site.Write("src\\w.htm", wide));
    auto [exitCode, output] =
        Generate("--source {site}\\src --dest {site}\\out w.htm --wide --set who=Zo");
    EXPECT_EQ(0u, exitCode) << output;
    EXPECT_EQ(std::string("\xFF\xFEZ\0o\0\r\0\n\0", 10), site.Read("out\\w.htm"));
}

} // namespace
