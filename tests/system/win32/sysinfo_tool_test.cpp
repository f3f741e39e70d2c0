// redudi-sysinfo run as a user runs it, its output captured in a file.
#include "win32/child_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace REDudi {
namespace {

using testing::ExecutableBeside;

struct ToolRun {
    DWORD exitCode = 0xDEAD;
    std::string output;
};

ToolRun RunSysinfo(const std::string& arguments) {
    ToolRun run;
    const std::string output = testing::TemporaryFile("sysinfo");
    testing::ChildProcess child;
    if (child.Start("\"" + ExecutableBeside("redudi-sysinfo.exe") + "\" " + arguments, output) &&
        child.Wait(30000, run.exitCode))
        run.output = testing::ReadWholeFile(output);
    DeleteFileA(output.c_str());
    return run;
}

TEST(SysinfoTool, AnswersAsAUserExpects) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const std::string processors = std::to_string(system.dwNumberOfProcessors);
    const std::string us = "\"" + ExecutableBeside("version_us.dll") + "\"";

    struct Row {
        std::string arguments;
        DWORD exitCode;
        std::vector<std::string> expected; // each must appear in the output
    } rows[] = {
        {"",
         0,
         {"Platform            win32x86\r\n", "Processors          " + processors, "Speed from"}},
        {"--json",
         0,
         {"{\"os\": ", "\"processors\": " + processors + ",", "\"platform\": \"win32x86\"}",
          "\"speedSource\": \"registry\""}},
        {"--version " + us, 0, {"Module        version_us.dll\r\n", "File version  5.1.2600.0"}},
        {"--json --version " + us,
         0,
         {"{\"module\": \"version_us.dll\", \"fileVersion\": \"5.1.2600.0\"}"}},
        {"--version \"" + ExecutableBeside("plain_library.dll") + "\"", 1, {"has no file version"}},
        {"--version \"" + ExecutableBeside("no_such_library.dll") + "\"", 1, {"cannot find"}},
        {"--version \"" + ExecutableBeside(".") + "\"", 1, {"is a directory"}},
        {"--version", 2, {"--version needs a file name", "--help"}},
        {"--version \"\"", 2, {"--version needs a file name"}},
        {"--measure --version " + us, 2, {"nothing to measure"}},
        {"--bogus", 2, {"unknown option '--bogus'"}},
        {"stray", 2, {"unexpected argument 'stray'"}},
        {"--help", 0, {"Usage: redudi-sysinfo", "--version FILE"}},
    };
    for (const Row& row : rows) {
        ToolRun run = RunSysinfo(row.arguments);
        EXPECT_EQ(row.exitCode, run.exitCode) << row.arguments << "\n" << run.output;
        for (const std::string& text : row.expected)
            EXPECT_NE(std::string::npos, run.output.find(text))
                << row.arguments << " lacks '" << text << "' in\n"
                << run.output;
    }
}

TEST(SysinfoTool, MeasuresOnRequest) {
    ToolRun run = RunSysinfo("--json --measure");
    ASSERT_EQ(0u, run.exitCode) << run.output;
    size_t at = run.output.find("\"measuredMHz\": ");
    ASSERT_NE(std::string::npos, at) << run.output;
    unsigned long mhz = std::stoul(run.output.substr(at + 15));
    EXPECT_GE(mhz, 100u);
    EXPECT_LE(mhz, 10000u);
}

} // namespace
} // namespace REDudi
