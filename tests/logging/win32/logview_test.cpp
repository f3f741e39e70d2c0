// redudi-logview end to end: the real program, fed by real writer processes,
// its output captured in a file.
#include "win32/child_process.h"
#include "win32/region_writer.h"

#include <REDudi/logging.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <windows.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

using REDudi::testing::ChildProcess;
using REDudi::testing::ExecutableBeside;
using REDudi::testing::ReadWholeFile;
using REDudi::testing::RegionWriter;
using REDudi::testing::TemporaryFile;

namespace {

std::string OwnClass() {
    return REDudi::testing::OwnTestClass("LV");
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

struct ViewerRun {
    DWORD exitCode = 0xDEAD;
    std::vector<std::string> lines;
    std::string text;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Runs a tool of this build to its end; one still running after `timeout`
// ms is killed and fails the test.
ViewerRun RunTool(const char* tool, const std::string& arguments, DWORD timeout = 30000) {
    ViewerRun run;
    std::string output = TemporaryFile("tool");
    ChildProcess child;
    EXPECT_TRUE(child.Start(Quoted(ExecutableBeside(tool)) + " " + arguments, output));
    EXPECT_TRUE(child.Wait(timeout, run.exitCode)) << tool << " did not end: " << arguments;
    run.text = ReadWholeFile(output);
    run.lines = Lines(run.text);
    DeleteFileA(output.c_str());
    return run;
}

ViewerRun RunViewer(const std::string& arguments, DWORD timeout = 30000) {
    return RunTool("redudi-logview.exe", arguments, timeout);
}

void WriteWithHelper(const std::string& arguments) {
    ChildProcess writer;
    ASSERT_TRUE(writer.Start(Quoted(ExecutableBeside("log_writer_helper.exe")) + " " + arguments));
    DWORD exitCode = 1;
    ASSERT_TRUE(writer.Wait(20000, exitCode));
    EXPECT_EQ(0u, exitCode);
}

TEST(LogViewTest, FollowsWriterProcessesWithClassFilter) {
    std::string own = OwnClass();
    std::string output = TemporaryFile("follow");
    ChildProcess viewer;
    ASSERT_TRUE(viewer.Start(Quoted(ExecutableBeside("redudi-logview.exe")) + " --class " + own +
                                 " --count 6 --timeout 60",
                             output));
    // Records written before the viewer reads are caught up, so the writers
    // need not wait for it; the regions are kept open here meanwhile, since
    // a region lives only while some process has it open.
    RegionWriter current;
    RegionWriter legacy(RegionWriter::Set::kLegacy);
    WriteWithHelper(own + " SubA 3 3 a");
    WriteWithHelper(own + "x SubA 3 3 other");
    WriteWithHelper("--legacy " + own + " SubB 1 3 b");
    DWORD exitCode = 1;
    ASSERT_TRUE(viewer.Wait(30000, exitCode));
    EXPECT_EQ(0u, exitCode);
    std::vector<std::string> lines = Lines(ReadWholeFile(output));
    DeleteFileA(output.c_str());

    ASSERT_EQ(6u, lines.size());
    std::regex format("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d 0x[0-9a-f]+ 0x[0-9a-f]+ " + own +
                      "/Sub([AB]) L([13]) ([ab]) (\\d)");
    int next[2] = {0, 0};
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, format)) << line;
        int writer = match[3] == "a" ? 0 : 1;
        EXPECT_EQ(writer == 0 ? "A" : "B", match[1].str()) << line;
        EXPECT_EQ(writer == 0 ? "3" : "1", match[2].str()) << line;
        EXPECT_EQ(std::to_string(next[writer]), match[4].str()) << line;
        ++next[writer];
    }
}

TEST(LogViewTest, DumpAppliesEveryFilterAndKeepsOneLinePerRecord) {
    std::string own = OwnClass();
    RegionWriter writer;
    ASSERT_TRUE(writer.IsOpen());
    ASSERT_TRUE(writer.Write(own, "S1", 1, 0, "needle 1"));
    ASSERT_TRUE(writer.Write(own, "S1", 3, 0, "needle 2"));
    ASSERT_TRUE(writer.Write(own, "S2", 1, 0, "needle 3"));
    ASSERT_TRUE(writer.Write(own, "S1", 0, 0, "hay 4"));
    ASSERT_TRUE(writer.Write(own + "x", "S1", 0, 0, "needle 5"));
    ASSERT_TRUE(writer.Write(own, "S1", 2, 0, "a needle\r\nover lines 6"));

    ViewerRun run =
        RunViewer("--dump --utc --class " + own + " --subclass S1 --level 2 --grep needle");
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(2u, run.lines.size()) << run.text;
    EXPECT_NE(std::string::npos, run.lines[0].find(" " + own + "/S1 L1 needle 1")) << run.lines[0];
    EXPECT_NE(std::string::npos, run.lines[1].find(" " + own + "/S1 L2 a needle  over lines 6"))
        << run.lines[1];

    ViewerRun limited = RunViewer("--dump --class " + own + " --count 3");
    EXPECT_EQ(0u, limited.exitCode);
    EXPECT_EQ(3u, limited.lines.size()) << limited.text;
}

// Writes one record and backdates it to `time`.
void WriteAt(RegionWriter& writer, const std::string& own, const std::string& message,
             std::uint32_t time) {
    ASSERT_TRUE(writer.Lock());
    ASSERT_TRUE(writer.Write(own, "S", 2, 0x10, message));
    REDudi::WIN32_LogMap* map = writer.View();
    map->records[(map->next + map->capacity - 1) % map->capacity].time = time;
    writer.Unlock();
}

// Every line is one JSON object a real parser accepts, whatever bytes the
// record holds; ANSI text arrives as UTF-8 (the code page here is 1252).
TEST(LogViewTest, JsonLinesCarryEveryFieldAndRegion) {
    std::string own = OwnClass();
    RegionWriter current;
    RegionWriter legacy(RegionWriter::Set::kLegacy);
    const std::string nasty = "caf\xE9 \"q\" \\ tab\t\x01 \x7F end";
    WriteAt(current, own, nasty, 1765056600); // 2025-12-06T21:30:00Z
    WriteAt(legacy, own, "old", 1765056601);

    ViewerRun run = RunViewer("--dump --json --class " + own);
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(2u, run.lines.size()) << run.text;
    nlohmann::json first = nlohmann::json::parse(run.lines[0]);
    nlohmann::json second = nlohmann::json::parse(run.lines[1]);
    EXPECT_EQ("2025-12-06T21:30:00Z", first["time"]);
    EXPECT_EQ("caf\xC3\xA9 \"q\" \\ tab\t\x01 \x7F end", first["message"]);
    EXPECT_EQ(own, first["class"]);
    EXPECT_EQ("S", first["subclass"]);
    EXPECT_EQ(2, first["level"]);
    EXPECT_EQ(16, first["flags"]);
    EXPECT_EQ("current", first["region"]);
    EXPECT_TRUE(first["process"].get<std::string>().rfind("0x", 0) == 0);
    EXPECT_TRUE(first["thread"].get<std::string>().rfind("0x", 0) == 0);
    EXPECT_EQ("legacy", second["region"]);
    EXPECT_EQ("2025-12-06T21:30:01Z", second["time"]);

    // The plain lines are UTF-8 too, in a file as in a pipe.
    ViewerRun text = RunViewer("--dump --class " + own);
    ASSERT_EQ(2u, text.lines.size()) << text.text;
    EXPECT_NE(std::string::npos, text.lines[0].find("caf\xC3\xA9 ")) << text.lines[0];
}

// --since keeps records written at or after its time; --pid keeps those of
// the processes it names.
TEST(LogViewTest, SinceAndPidSelectRecords) {
    std::string own = OwnClass();
    RegionWriter writer;
    WriteAt(writer, own, "early", 1765056599);
    WriteAt(writer, own, "onTime", 1765056600);
    const std::string self = std::to_string(GetCurrentProcessId());
    const std::string other = std::to_string(GetCurrentProcessId() + 4);
    const struct {
        std::string arguments;
        std::size_t lines;
    } rows[] = {
        {"--since 2025-12-06T21:30:00Z", 1},
        {"--since 2025-12-06T21:29:59Z", 2},
        {"--since 2025-12-06T21:30:01Z", 0},
        {"--pid " + self, 2},
        {"--pid " + other, 0},
        {"--pid " + other + " --pid " + self, 2},
    };
    for (const auto& row : rows) {
        ViewerRun run = RunViewer("--dump --class " + own + " " + row.arguments);
        EXPECT_EQ(0u, run.exitCode) << row.arguments;
        EXPECT_EQ(row.lines, run.lines.size()) << row.arguments << ": " << run.text;
    }
}

TEST(LogViewTest, TimeoutEndsFollowing) {
    DWORD started = GetTickCount();
    ViewerRun run = RunViewer("--follow --timeout 1 --class " + OwnClass());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.lines.empty()) << run.text;
    EXPECT_GE(GetTickCount() - started, 900u);

    ViewerRun missing = RunViewer("--count 1 --timeout 1 --class " + OwnClass());
    EXPECT_EQ(1u, missing.exitCode);
}

TEST(LogViewTest, BadArgumentsFailWithAMessage) {
    struct Case {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--level x", "level must be"},    {"--level 256", "level must be"},
        {"--count 0", "count must be"},    {"--timeout -1", "timeout must be"},
        {"--class", "needs a value"},      {"--bogus", "unknown option '--bogus'"},
        {"--dump --follow", "exclude"},    {"--pid x", "pid must be"},
        {"--pid -1", "pid must be"},       {"--since 2026-13-01", "since must be"},
        {"--since soon", "since must be"},
    };
    for (const Case& c : cases) {
        ViewerRun run = RunViewer(c.arguments, 10000);
        EXPECT_EQ(2u, run.exitCode) << c.arguments;
        EXPECT_NE(std::string::npos, run.text.find(c.message)) << c.arguments << ": " << run.text;
    }
    ViewerRun help = RunViewer("--help", 10000);
    EXPECT_EQ(0u, help.exitCode);
    EXPECT_NE(std::string::npos, help.text.find("Usage: redudi-logview")) << help.text;
}

TEST(TraceToolTest, WritesOneRecordWithEveryField) {
    std::string own = OwnClass();
    RegionWriter region; // keeps the region open and lets the test look into it
    ASSERT_TRUE(region.IsOpen());
    EXPECT_EQ(0u, RunTool("redudi-trace.exe", "--class " + own +
                                                  " --subclass Step --level 1 --flags 0x8001 "
                                                  "-- 100% done  now")
                      .exitCode);

    ASSERT_TRUE(region.Lock());
    const REDudi::WIN32_LogMap* map = region.View();
    int found = 0;
    for (const REDudi::ALogEntry& entry : map->records) {
        if (own != entry.className)
            continue;
        ++found;
        EXPECT_STREQ("Step", entry.subClass);
        EXPECT_EQ(1, entry.level);
        EXPECT_EQ(0x8001u, entry.flags);
        EXPECT_STREQ("100% done now", entry.message);
    }
    region.Unlock();
    EXPECT_EQ(1, found);
}

TEST(TraceToolTest, ViewerShowsRecordsOfTraceProcesses) {
    std::string own = OwnClass();
    std::string output = TemporaryFile("viewtrace");
    RegionWriter current;
    ChildProcess viewer;
    ASSERT_TRUE(viewer.Start(Quoted(ExecutableBeside("redudi-logview.exe")) + " --class " + own +
                                 " --level 1 --count 2 --timeout 60",
                             output));
    for (const char* level : {"0", "3", "1"})
        EXPECT_EQ(0u, RunTool("redudi-trace.exe", std::string("-c ") + own + " -s Script -l " +
                                                      level + " level " + level)
                          .exitCode);
    DWORD exitCode = 1;
    ASSERT_TRUE(viewer.Wait(30000, exitCode));
    EXPECT_EQ(0u, exitCode);
    std::vector<std::string> lines = Lines(ReadWholeFile(output));
    DeleteFileA(output.c_str());
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find(" " + own + "/Script L0 level 0")) << lines[0];
    EXPECT_NE(std::string::npos, lines[1].find(" " + own + "/Script L1 level 1")) << lines[1];
}

TEST(TraceToolTest, BadArgumentsFailWithAMessage) {
    for (const char* arguments : {"", "--level 300 x", "--flags -1 x", "--nope x", "--class"}) {
        ViewerRun run = RunTool("redudi-trace.exe", arguments, 20000);
        EXPECT_EQ(2u, run.exitCode) << arguments;
        EXPECT_NE(std::string::npos, run.text.find("redudi-trace: "))
            << arguments << ": " << run.text;
    }
}

} // namespace
