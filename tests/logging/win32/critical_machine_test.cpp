// The machine's critical log: the facade, the free functions and their trace
// mirror, and real writer, reader and holder processes.
#include <REDudi/logging.h>

#include "log_region.h"
#include "win32/child_process.h"
#include "win32/critical_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace REDudi;
using namespace REDudi::testing;
using REDudi::testing_support::LogRegion;
using REDudi::testing_support::RegionLock;
using REDudi::testing_support::UniqueName;

namespace {

// Holds both logs' mutexes, so that the records written on this thread
// meanwhile are the last of each ring: the mutexes are recursive.
class BothLogsHeld {
public:
    BothLogsHeld(const CriticalRegionView& critical, const LogRegion& trace)
        : critical_(critical.Mutex()), trace_(trace) {}
    bool Held() const { return critical_.Held() && trace_.Held(); }

private:
    HeldMutex critical_;
    RegionLock trace_;
};

class CriticalMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(critical_.IsOpen());
        ASSERT_TRUE(trace_.IsOpen());
    }

    CriticalRegionView critical_;
    LogRegion trace_;
};

TEST_F(CriticalMachineTest, EveryEntryPointWritesBothLogsOnce) {
    ACriticalLogger facade;
    ASSERT_TRUE(facade.IsValid());
    const std::string long3000(3000, 'y');
    struct Row {
        const char* name;
        void (*write)(ACriticalLogger&, const char*);
        const char* text;
        const char* wantSubClass;
        unsigned wantLevel;
        // A facade's own writer starts its mirror with the trace log's
        // default subclass; the process-wide one names it "UNKNOWN".
        const char* wantMirrorSubClass;
    } rows[] = {
        {"CritLogTrace", [](ACriticalLogger&, const char* t) { CritLogTrace(11, "%s", t); }, "free",
         "UNKNOWN", 5, "UNKNOWN"},
        {"CritLogTrace level",
         [](ACriticalLogger&, const char* t) { CritLogTrace(11, (unsigned char)1, "%s", t); },
         "free level", "UNKNOWN", 1, "UNKNOWN"},
        {"CritLogClassTrace",
         [](ACriticalLogger&, const char* t) { CritLogClassTrace(11, "Sub", "%s", t); },
         "free class", "Sub", 5, "Sub"},
        {"CritLogClassTrace level",
         [](ACriticalLogger&, const char* t) {
             CritLogClassTrace(11, "Sub", (unsigned char)0, "%s", t);
         },
         "free class level", "Sub", 0, "Sub"},
        {"CritLogClassTrace without subclass",
         [](ACriticalLogger&, const char* t) { CritLogClassTrace(11, nullptr, "%s", t); },
         "free no subclass", "UNKNOWN", 5, "UNKNOWN"},
        {"facade Trace", [](ACriticalLogger& f, const char* t) { f.Trace(11, "%s", t); }, "facade",
         "UNKNOWN", 5, "GENERAL"},
        {"facade ClassTrace level",
         [](ACriticalLogger& f, const char* t) {
             f.ClassTrace(11, "Sub", (unsigned char)2, "%s", t);
         },
         "facade class", "Sub", 2, "Sub"},
        {"facade long text", [](ACriticalLogger& f, const char* t) { f.Trace(11, "%s", t); },
         long3000.c_str(), "UNKNOWN", 5, "GENERAL"},
    };
    for (const Row& r : rows) {
        const std::string text = r.text;
        BothLogsHeld held(critical_, trace_);
        ASSERT_TRUE(held.Held());
        const std::uint32_t criticalBefore = critical_.Map().count;
        const std::uint32_t traceBefore = trace_.Map().count;
        r.write(facade, text.c_str());
        ASSERT_EQ(criticalBefore + 1, critical_.Map().count) << r.name;
        ASSERT_EQ(traceBefore + 1, trace_.Map().count) << r.name;
        const ACriticalLogEntry& e = critical_.Last();
        EXPECT_EQ(11, e.code) << r.name;
        EXPECT_STREQ("UNKNOWN", e.agent) << r.name;
        EXPECT_STREQ("UNKNOWN", e.className) << r.name;
        EXPECT_STREQ("UNKNOWN", e.module) << r.name;
        EXPECT_STREQ(r.wantSubClass, e.subClass) << r.name;
        EXPECT_EQ(r.wantLevel, e.level) << r.name;
        EXPECT_EQ(text.substr(0, 2047), e.message) << r.name;
        EXPECT_EQ(testing_support::IdText(GetCurrentProcessId()), e.process) << r.name;
        EXPECT_EQ(testing_support::IdText(GetCurrentThreadId()), e.thread) << r.name;
        EXPECT_EQ(0, e.delivered) << r.name;
        const ALogEntry& mirror = trace_.Last();
        EXPECT_STREQ("UNKNOWN", mirror.className) << r.name;
        EXPECT_STREQ(r.wantMirrorSubClass, mirror.subClass) << r.name;
        EXPECT_EQ(r.wantLevel, mirror.level) << r.name;
        EXPECT_EQ(text.substr(0, 511), mirror.message) << r.name;
    }
}

TEST_F(CriticalMachineTest, NullFormatWritesNeitherLog) {
    ACriticalLogger facade;
    BothLogsHeld held(critical_, trace_);
    ASSERT_TRUE(held.Held());
    const std::uint32_t criticalBefore = critical_.Map().count;
    const std::uint32_t traceBefore = trace_.Map().count;
    CritLogTrace(1, nullptr);
    CritLogTrace(1, static_cast<unsigned char>(1), nullptr);
    CritLogClassTrace(1, "s", nullptr);
    CritLogClassTrace(1, "s", static_cast<unsigned char>(1), nullptr);
    facade.Trace(1, nullptr);
    facade.ClassTrace(1, "s", static_cast<unsigned char>(1), nullptr);
    EXPECT_EQ(criticalBefore, critical_.Map().count);
    EXPECT_EQ(traceBefore, trace_.Map().count);
}

TEST_F(CriticalMachineTest, FacadeSettersReachTheRecordAndTheMirror) {
    ACriticalLogger facade;
    facade.SetAgent(PString("Agent"));
    facade.SetModule(PString("Module"));
    facade.SetClass(PString("Class"));
    facade.SetDefaultSubClass(PString("Default"));
    facade.SetDefaultLevel(4);
    BothLogsHeld held(critical_, trace_);
    ASSERT_TRUE(held.Held());
    facade.Trace(3, "%d%% set %s", 100, "%s%n");
    const ACriticalLogEntry& e = critical_.Last();
    EXPECT_STREQ("Agent", e.agent);
    EXPECT_STREQ("Module", e.module);
    EXPECT_STREQ("Class", e.className);
    EXPECT_STREQ("Default", e.subClass);
    EXPECT_EQ(4, e.level);
    EXPECT_STREQ("100% set %s%n", e.message);
    EXPECT_STREQ("Class", trace_.Last().className);
    EXPECT_STREQ("Default", trace_.Last().subClass);
}

std::string NewEvent(HANDLE& event, const char* stem) {
    const std::string name = UniqueName(stem);
    event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    return name;
}

std::string Helper() {
    return "\"" + ExecutableBeside("critical_log_helper.exe") + "\" ";
}

TEST_F(CriticalMachineTest, WriterProcessesAndOneReaderProcessDeliverEachRecordOnce) {
    struct Row {
        bool readerFirst;
        int writers;
        int perWriter;
    } rows[] = {{true, 3, 40}, {false, 1, 6}};
    for (const Row& r : rows) {
        const std::string label = r.readerFirst ? "reader first" : "reader after";
        const std::string agent = UniqueName("agent").substr(0, 31);
        const int total = r.writers * r.perWriter;
        HANDLE start = nullptr, writersReady = nullptr, readerReady = nullptr;
        const std::string startName = NewEvent(start, "start");
        const std::string output = TemporaryFile("critical_read");
        std::vector<std::unique_ptr<ChildProcess>> writers;
        ChildProcess reader;
        auto startReader = [&] {
            const std::string readyName = NewEvent(readerReady, "reader");
            ASSERT_TRUE(reader.Start(Helper() + "read " + agent + " " + std::to_string(total) +
                                     " \"" + output + "\" " + readyName));
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(readerReady, 20000)) << label;
        };
        if (r.readerFirst)
            startReader();
        for (int w = 0; w < r.writers; ++w) {
            const std::string readyName = NewEvent(writersReady, "writer");
            writers.emplace_back(new ChildProcess);
            ASSERT_TRUE(writers.back()->Start(Helper() + "write " + agent + " " +
                                              std::to_string(r.perWriter) + " " + readyName + " " +
                                              startName));
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(writersReady, 20000)) << label;
            CloseHandle(writersReady);
        }
        SetEvent(start);
        DWORD code = 1;
        for (auto& writer : writers) {
            ASSERT_TRUE(writer->Wait(20000, code)) << label;
            EXPECT_EQ(0u, code) << label;
        }
        if (!r.readerFirst)
            startReader();
        ASSERT_TRUE(reader.Wait(30000, code)) << label;
        EXPECT_EQ(0u, code) << label;

        std::istringstream lines(ReadWholeFile(output));
        std::vector<std::string> got;
        for (std::string line; std::getline(lines, line);)
            got.push_back(line);
        std::set<std::string> unique(got.begin(), got.end());
        if (!got.empty()) {
            EXPECT_EQ(agent + " ", got.front().substr(0, agent.size() + 1)) << label;
        }
        EXPECT_EQ(static_cast<std::size_t>(total), got.size()) << label;
        EXPECT_EQ(got.size(), unique.size()) << label << ": a record came twice";

        HeldMutex lock(critical_.Mutex());
        int marked = 0, unmarked = 0;
        for (const ACriticalLogEntry& e : critical_.Map().records) {
            if (agent != e.agent)
                continue;
            (e.delivered == 1 ? marked : unmarked)++;
            // The helper's resource reads "5, 1, 0, 12".
            EXPECT_STREQ("5.1.0.12", e.version) << label;
        }
        EXPECT_EQ(total, marked) << label;
        EXPECT_EQ(0, unmarked) << label;
        CloseHandle(start);
        CloseHandle(readerReady);
        DeleteFileA(output.c_str());
    }
}

TEST_F(CriticalMachineTest, MutexHeldElsewhereLosesTheRecordButNotItsTraceCopy) {
    HANDLE ready = nullptr;
    const std::string readyName = NewEvent(ready, "hold");
    ChildProcess holder;
    ASSERT_TRUE(holder.Start(Helper() + "hold 6500 " + readyName));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 20000));
    const std::string text = UniqueName("lost");
    const std::uint32_t before = critical_.Map().count;
    const DWORD start = GetTickCount();
    CritLogTrace(5, "%s", text.c_str());
    const DWORD spent = GetTickCount() - start;
    EXPECT_GE(spent, 4500u);
    EXPECT_LT(spent, 6400u);
    DWORD code = 1;
    ASSERT_TRUE(holder.Wait(20000, code));
    EXPECT_EQ(before, critical_.Map().count) << "the critical record is lost";

    const std::string output = TemporaryFile("critical_mirror");
    ChildProcess view;
    ASSERT_TRUE(view.Start("\"" + ExecutableBeside("redudi-logview.exe") +
                               "\" --dump --class UNKNOWN --grep " + text,
                           output));
    ASSERT_TRUE(view.Wait(20000, code));
    EXPECT_EQ(0u, code);
    EXPECT_NE(std::string::npos, ReadWholeFile(output).find(text)) << "the trace copy stands";
    DeleteFileA(output.c_str());
    CloseHandle(ready);
}

} // namespace

namespace {

std::string Tool(const char* name) {
    return "\"" + ExecutableBeside(name) + "\" ";
}

// Runs a tool to its end; its exit code, or ~0u when it did not end.
DWORD RunTool(const std::string& commandLine, const std::string& output) {
    ChildProcess child;
    DWORD code = ~0u;
    if (!child.Start(commandLine, output) || !child.Wait(20000, code))
        return ~0u;
    return code;
}

TEST_F(CriticalMachineTest, CritLogToolWritesOneRecordOrRefusesBadInput) {
    struct Row {
        const char* arguments;
        DWORD exitCode;
        int code;
        unsigned level;
    } rows[] = {
        {"--code 7 --level 255 --subclass Sub -- -starts with a dash", 0, 7, 255},
        {"--code -2147483648 --level 0 words", 0, -2147483647 - 1, 0},
        {"--code 2147483647 plain", 0, 2147483647, 5},
        {"--level 256 text", 2, 0, 0},
        {"--level -1 text", 2, 0, 0},
        {"--code 2147483648 text", 2, 0, 0},
        {"--code -2147483649 text", 2, 0, 0},
        {"--code 12x text", 2, 0, 0},
        {"--agent", 2, 0, 0},
        {"--colour red text", 2, 0, 0},
        {"--code 1", 2, 0, 0},
        {"--help", 0, 0, 0},
    };
    const std::string output = TemporaryFile("critlog_tool");
    for (const Row& r : rows) {
        const std::string agent = UniqueName("tool").substr(0, 31);
        const std::uint32_t before = critical_.Map().count;
        EXPECT_EQ(r.exitCode, RunTool(Tool("redudi-critlog.exe") + "--agent " + agent +
                                          " --module Mod " + r.arguments,
                                      output))
            << r.arguments;
        const std::string printed = ReadWholeFile(output);
        const bool writes = r.exitCode == 0 && std::string(r.arguments) != "--help";
        HeldMutex lock(critical_.Mutex());
        bool found = false;
        for (const ACriticalLogEntry& e : critical_.Map().records) {
            if (agent != e.agent)
                continue;
            found = true;
            EXPECT_EQ(r.code, e.code) << r.arguments;
            EXPECT_EQ(r.level, e.level) << r.arguments;
            EXPECT_STREQ("Mod", e.module) << r.arguments;
        }
        EXPECT_EQ(writes, found) << r.arguments;
        if (!writes) {
            EXPECT_EQ(before, critical_.Map().count) << r.arguments;
        }
        if (r.exitCode == 2) {
            EXPECT_NE(std::string::npos, printed.find("redudi-critlog: ")) << r.arguments;
        }
    }
    DeleteFileA(output.c_str());
}

TEST_F(CriticalMachineTest, LogViewShowsAndMarksTheCriticalLog) {
    const std::string agent = UniqueName("view").substr(0, 31);
    CritLogSetAgent(PString(agent));
    CritLogTrace(77, "%s", "seen by the viewer");
    CritLogSetAgent(PString("UNKNOWN"));
    const std::string output = TemporaryFile("critical_view");
    struct Row {
        const char* arguments;
        DWORD exitCode;
        const char* wants;
        int mark;
    } rows[] = {
        {"--dump", 0, "#77 ", 0},
        {"--dump --json", 0, "\"code\":77,", 0},
        {"--dump --code 78", 0, "", 0},
        {"--mark-delivered --count 1 --timeout 10", 0, " new seen by the viewer", 1},
        {"--dump", 0, " delivered seen by the viewer", 1},
        {"--dump --mark-delivered", 2, "redudi-logview: ", 1},
        {"--count 0", 2, "redudi-logview: ", 1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.exitCode, RunTool(Tool("redudi-logview.exe") + "--critical --agent " + agent +
                                          " " + r.arguments,
                                      output))
            << r.arguments;
        const std::string printed = ReadWholeFile(output);
        if (*r.wants == '\0') {
            EXPECT_EQ("", printed) << r.arguments;
        } else {
            EXPECT_NE(std::string::npos, printed.find(r.wants)) << r.arguments << ": " << printed;
        }
        HeldMutex lock(critical_.Mutex());
        for (const ACriticalLogEntry& e : critical_.Map().records)
            if (agent == e.agent) {
                EXPECT_EQ(r.mark, e.delivered) << r.arguments;
            }
    }
    DeleteFileA(output.c_str());
}

} // namespace
