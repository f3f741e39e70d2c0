// redudi-generate run as a user runs it, on a small site of templates.
#include "win32/child_process.h"
#include "win32/site_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using REDudi::testing::ChildProcess;
using REDudi::testing::ExecutableBeside;
using REDudi::testing::ReadWholeFile;
using REDudi::testing::SiteFolder;

namespace {

struct ToolRun {
    DWORD exitCode = 0xDEAD;
    std::string output; // standard output and error together
};

class GenerateToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(site.Write("src\\index.htm",
                               "<title><!-- qvvar name=\"title\" --></title>"
                               "<!-- qvifvar name=\"extra\" -->+<!-- qvendifvar -->"
                               "<!-- qvfile source=\"sub\\page.htm\" dest=\"page.htm\" -->"));
        ASSERT_TRUE(site.Write("src\\sub\\page.htm",
                               "<p><!-- qvvar name=\"who\" --></p>"
                               "<!-- qvfile source=\"index.htm\" dest=\"index.htm\" -->"));
        ASSERT_TRUE(site.Write("vars.ini", "; site settings\r\n[Other]\r\nwho=nobody\r\n"
                                           "[Site]\r\ntitle = From INI\r\nwho=ini\r\n"));
        ASSERT_TRUE(site.MakeDirectory("out"));
    }

    // `arguments` with {site} standing for the site folder.
    ToolRun Generate(std::string arguments) {
        for (std::size_t at; (at = arguments.find("{site}")) != std::string::npos;)
            arguments.replace(at, 6, site.Path(""));
        ToolRun run;
        std::string capture = site.Path("capture.txt");
        ChildProcess tool;
        EXPECT_TRUE(tool.Start("\"" + ExecutableBeside("redudi-generate.exe") + "\" " + arguments,
                               capture));
        EXPECT_TRUE(tool.Wait(30000, run.exitCode)) << "did not end: " << arguments;
        run.output = ReadWholeFile(capture);
        DeleteFileA(capture.c_str());
        return run;
    }

    SiteFolder site;
};

struct Row {
    const char* arguments;
    DWORD exitCode;
    const char* outputHas;
    const char* index; // expected out\index.htm, null: not written
    const char* page;  // expected out\page.htm, null: not written
};

TEST_F(GenerateToolTest, GeneratesSitesAndReportsFailures) {
    const Row rows[] = {
        {"--source {site}\\src --dest {site}\\out index.htm", 0, "out\\page.htm",
         "<title></title>+", "<p></p>"},
        {"--source {site}\\src --dest {site}\\out index.htm --ini {site}\\vars.ini --section site "
         "--set who=cli --set extra=0",
         0, "out\\index.htm", "<title>From INI</title>", "<p>cli</p>"},
        {"--source {site}\\src --dest {site}\\out index.htm --set who=a --set who=b --json", 0,
         "\"error\":null", "<title></title>+", "<p>b</p>"},
        {"--source {site}\\src --dest {site}\\out missing.htm", 1, "template not found", nullptr,
         nullptr},
        {"--source {site}\\src --dest {site}\\new index.htm", 1, "does not exist", nullptr,
         nullptr},
        {"--source {site}\\nowhere --dest {site}\\out index.htm", 1, "source directory", nullptr,
         nullptr},
        {"--source {site}\\src --dest {site}\\out index.htm --ini {site}\\vars.ini --section None",
         1, "no section", nullptr, nullptr},
        {"--source {site}\\src --dest {site}\\out index.htm --ini {site}\\vars.ini", 2,
         "go together", nullptr, nullptr},
        {"--source {site}\\src index.htm", 2, "required", nullptr, nullptr},
        {"--source {site}\\src --dest {site}\\out index.htm --set =x", 2, "NAME=VALUE", nullptr,
         nullptr},
        {"--bogus", 2, "unknown option", nullptr, nullptr},
        {"--help", 0, "usage: redudi-generate", nullptr, nullptr},
    };
    for (const Row& row : rows) {
        DeleteFileA(site.Path("out\\index.htm").c_str());
        DeleteFileA(site.Path("out\\page.htm").c_str());
        ToolRun run = Generate(row.arguments);
        EXPECT_EQ(row.exitCode, run.exitCode) << row.arguments << "\n" << run.output;
        EXPECT_NE(std::string::npos, run.output.find(row.outputHas)) << row.arguments << "\n"
                                                                     << run.output;
        bool exists = false;
        std::string index = site.Read("out\\index.htm", &exists);
        EXPECT_EQ(row.index != nullptr, exists) << row.arguments;
        if (row.index) {
            EXPECT_EQ(row.index, index) << row.arguments;
        }
        std::string page = site.Read("out\\page.htm", &exists);
        EXPECT_EQ(row.page != nullptr, exists) << row.arguments;
        if (row.page) {
            EXPECT_EQ(row.page, page) << row.arguments;
        }
    }
}

TEST_F(GenerateToolTest, MkdirCreatesTheDestinationRoot) {
    ToolRun run = Generate("--source {site}\\src --dest {site}\\made\\deeper --mkdir index.htm");
    EXPECT_EQ(0u, run.exitCode) << run.output;
    EXPECT_EQ("<p></p>", site.Read("made\\deeper\\page.htm"));
}

TEST_F(GenerateToolTest, WideTemplatesStayRaw) {
    std::string wide;
    for (char c : std::string("<!-- qvvar name=\"who\" -->\r\n"))
        wide += std::string(1, c) + '\0';
    ASSERT_TRUE(site.Write("src\\w.htm", std::string("\xFF\xFE", 2) + wide));
    ToolRun run = Generate("--source {site}\\src --dest {site}\\out w.htm --wide --set who=Zo");
    EXPECT_EQ(0u, run.exitCode) << run.output;
    EXPECT_EQ(std::string("\xFF\xFEZ\0o\0\r\0\n\0", 10), site.Read("out\\w.htm"));
}

} // namespace
