// The machine's critical log: the facade, the free functions and their trace
// mirror, the tools, and real writer, reader and holder processes.
#include <REDudi/logging.h>

#include "win32/log_support.h"
#include "win32/child_process.h"
#include "win32/critical_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

// A name no other test process uses at the same time.
std::string UniqueName(const char* stem) {
    static unsigned serial = 0;
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount()) + "-" + std::to_string(++serial);
}

std::string Beside(const char* name) {
    return "\"" + ExecutableBeside(name) + "\" ";
}

// Runs a program to its end: its exit code, or ~0u when it did not end.
DWORD RunToEnd(const std::string& commandLine, const std::string& output = "") {
    ChildProcess child;
    DWORD code = ~0u;
    if (!child.Start(commandLine, output) || !child.Wait(30000, code))
        return ~0u;
    return code;
}

HANDLE NewEvent(std::string& name, const char* stem) {
    name = UniqueName(stem);
    return CreateEventA(nullptr, TRUE, FALSE, name.c_str());
}

class CriticalMachineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(critical_.IsOpen() && trace_.IsOpen()); }

    // The records of `agent` in the ring: their delivered marks, '0' or '1'.
    std::string MarksOf(const std::string& agent, const std::string& version = "") {
        HeldMutex lock(critical_.Mutex());
        std::string marks;
        for (const ACriticalLogEntry& e : critical_.Map().records)
            if (agent == e.agent) {
                marks += e.delivered ? '1' : '0';
                EXPECT_TRUE(version.empty() || version == e.version) << e.version;
            }
        return marks;
    }

    CriticalRegionView critical_;
    LogRegion trace_;
    const std::string output_ = TemporaryFile("critical");
};

TEST_F(CriticalMachineTest, EveryEntryPointWritesBothLogsOnceUnlessTheFormatIsNull) {
    ACriticalLogger facade;
    ASSERT_TRUE(facade.IsValid());
    using Write = void (*)(ACriticalLogger&, const char*);
    struct Row {
        const char* name;
        Write write;
        const char* wantSubClass;
        unsigned wantLevel;
        // A facade's own writer starts its mirror with the trace log's
        // default subclass; the process-wide one names it "UNKNOWN".
        const char* wantMirrorSubClass;
    } rows[] = {
        {"CritLogTrace", [](ACriticalLogger&, const char* f) { CritLogTrace(11, f); }, "UNKNOWN",
         5, "UNKNOWN"},
        {"CritLogTrace level", [](ACriticalLogger&, const char* f) { CritLogTrace(11, (unsigned char)1, f); },
         "UNKNOWN", 1, "UNKNOWN"},
        {"CritLogClassTrace", [](ACriticalLogger&, const char* f) { CritLogClassTrace(11, "S", f); },
         "S", 5, "S"},
        {"CritLogClassTrace level",
         [](ACriticalLogger&, const char* f) { CritLogClassTrace(11, "S", (unsigned char)0, f); }, "S", 0, "S"},
        {"CritLogClassTrace null subclass",
         [](ACriticalLogger&, const char* f) { CritLogClassTrace(11, nullptr, f); }, "UNKNOWN", 5,
         "UNKNOWN"},
        {"facade Trace", [](ACriticalLogger& a, const char* f) { a.Trace(11, f); }, "UNKNOWN", 5,
         "GENERAL"},
        {"facade ClassTrace level",
         [](ACriticalLogger& a, const char* f) { a.ClassTrace(11, "S", (unsigned char)2, f); }, "S", 2, "S"},
    };
    const std::string text(3000, 'y');
    for (const Row& r : rows) {
        HeldMutex critical(critical_.Mutex());
        RegionLock trace(trace_);
        ASSERT_TRUE(critical.Held() && trace.held);
        const std::uint32_t criticalBefore = critical_.Map().count;
        const std::uint32_t traceBefore = trace_.Map().count;
        r.write(facade, nullptr);
        r.write(facade, text.c_str());
        // Both mutexes are recursive and held here: these are the last records.
        ASSERT_EQ(criticalBefore + 1, critical_.Map().count) << r.name;
        ASSERT_EQ(traceBefore + 1, trace_.Map().count) << r.name;
        const ACriticalLogEntry& e = critical_.Last();
        EXPECT_EQ(11, e.code) << r.name;
        for (const char* field : {e.agent, e.className, e.module})
            EXPECT_STREQ("UNKNOWN", field) << r.name;
        EXPECT_STREQ(r.wantSubClass, e.subClass) << r.name;
        EXPECT_EQ(r.wantLevel, e.level) << r.name;
        EXPECT_EQ(text.substr(0, 2047), e.message) << r.name;
        EXPECT_EQ(IdText(GetCurrentProcessId()), e.process) << r.name;
        EXPECT_EQ(IdText(GetCurrentThreadId()), e.thread) << r.name;
        EXPECT_EQ(0, e.delivered) << r.name;
        const ALogEntry& mirror = trace_.Last();
        EXPECT_STREQ("UNKNOWN", mirror.className) << r.name;
        EXPECT_STREQ(r.wantMirrorSubClass, mirror.subClass) << r.name;
        EXPECT_EQ(r.wantLevel, mirror.level) << r.name;
        EXPECT_EQ(text.substr(0, 511), mirror.message) << r.name;
    }
}

TEST_F(CriticalMachineTest, FacadeSettersReachTheRecordAndTheMirror) {
    ACriticalLogger facade;
    facade.SetAgent(PString("Agent"));
    facade.SetModule(PString("Module"));
    facade.SetClass(PString("Class"));
    facade.SetDefaultSubClass(PString("Default"));
    facade.SetDefaultLevel(4);
    HeldMutex critical(critical_.Mutex());
    RegionLock trace(trace_);
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

TEST_F(CriticalMachineTest, WriterProcessesAndOneReaderProcessDeliverEachRecordOnce) {
    struct Row {
        bool readerFirst;
        int writers, perWriter;
    } rows[] = {{true, 2, 40}, {false, 1, 6}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.readerFirst ? "reader first" : "reader after");
        const std::string agent = UniqueName("agent").substr(0, 31);
        const int total = r.writers * r.perWriter;
        std::string startName, readyName;
        HANDLE start = NewEvent(startName, "start");
        std::vector<std::unique_ptr<ChildProcess>> children;
        const auto startChild = [&](const std::string& arguments) {
            HANDLE ready = NewEvent(readyName, "ready");
            children.emplace_back(new ChildProcess);
            EXPECT_TRUE(children.back()->Start(Beside("critical_log_helper.exe") + arguments +
                                               " " + readyName));
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 20000));
            CloseHandle(ready);
        };
        const std::string read =
            "read " + agent + " " + std::to_string(total) + " \"" + output_ + "\"";
        if (r.readerFirst)
            startChild(read);
        for (int w = 0; w < r.writers; ++w)
            startChild("write " + agent + " " + std::to_string(r.perWriter) + " " + startName);
        SetEvent(start);
        if (!r.readerFirst) {
            for (auto& child : children) {
                DWORD code = 1;
                EXPECT_TRUE(child->Wait(20000, code) && code == 0);
            }
            startChild(read);
        }
        for (std::size_t i = r.readerFirst ? 0 : r.writers; i < children.size(); ++i) {
            DWORD code = 1;
            EXPECT_TRUE(children[i]->Wait(30000, code) && code == 0);
        }
        CloseHandle(start);
        std::istringstream lines(ReadWholeFile(output_));
        std::multiset<std::string> got;
        for (std::string line; std::getline(lines, line);)
            got.insert(line);
        EXPECT_EQ(static_cast<std::size_t>(total), got.size());
        // The helper writes "<agent> <process> <index>" and the reader keeps
        // nothing of other agents; a record seen twice counts twice here.
        for (const std::string& line : got)
            EXPECT_EQ(1u, got.count(line)) << line;
        // The helper's resource reads "5, 1, 0, 12".
        EXPECT_EQ(std::string(total, '1'), MarksOf(agent, "5.1.0.12"));
    }
}

TEST_F(CriticalMachineTest, MutexHeldElsewhereLosesTheRecordButNotItsTraceCopy) {
    std::string readyName;
    HANDLE ready = NewEvent(readyName, "hold");
    ChildProcess holder;
    ASSERT_TRUE(holder.Start(Beside("critical_log_helper.exe") + "hold 6500 " + readyName));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 20000));
    CloseHandle(ready);
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
    EXPECT_EQ(0u, RunToEnd(Beside("redudi-logview.exe") + "--dump --class UNKNOWN --grep " + text,
                      output_));
    EXPECT_NE(std::string::npos, ReadWholeFile(output_).find(text)) << "the trace copy stands";
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
    for (const Row& r : rows) {
        const std::string agent = UniqueName("tool").substr(0, 31);
        const std::uint32_t before = critical_.Map().count;
        EXPECT_EQ(r.exitCode, RunToEnd(Beside("redudi-critlog.exe") + "--agent " + agent +
                                      " --module Mod " + r.arguments,
                                  output_))
            << r.arguments;
        const bool writes = r.exitCode == 0 && std::string(r.arguments) != "--help";
        EXPECT_EQ(before + (writes ? 1 : 0), critical_.Map().count) << r.arguments;
        if (r.exitCode == 2) {
            EXPECT_EQ(0u, ReadWholeFile(output_).find("redudi-critlog: ")) << r.arguments;
        }
        if (writes) {
            HeldMutex lock(critical_.Mutex());
            const ACriticalLogEntry& e = critical_.Last();
            EXPECT_EQ(agent, e.agent) << r.arguments;
            EXPECT_EQ(r.code, e.code) << r.arguments;
            EXPECT_EQ(r.level, e.level) << r.arguments;
            EXPECT_STREQ("Mod", e.module) << r.arguments;
        }
    }
}

TEST_F(CriticalMachineTest, LogViewShowsAndMarksTheCriticalLog) {
    const std::string agent = UniqueName("view").substr(0, 31);
    CritLogSetAgent(PString(agent));
    CritLogTrace(77, "%s", "seen by the viewer");
    CritLogSetAgent(PString("UNKNOWN"));
    struct Row {
        const char* arguments;
        DWORD exitCode;
        const char* wants;
        const char* marks;
    } rows[] = {
        {"--dump", 0, "#77 ", "0"},
        {"--dump --json", 0, "\"code\":77,", "0"},
        {"--dump --code 78", 0, "", "0"},
        {"--dump --code 2147483647", 0, "", "0"},
        {"--dump --code 2147483648", 2, "redudi-logview: ", "0"},
        {"--mark-delivered --count 1 --timeout 10", 0, " new seen by the viewer", "1"},
        {"--dump", 0, " delivered seen by the viewer", "1"},
        {"--dump --mark-delivered", 2, "redudi-logview: ", "1"},
        {"--count 0", 2, "redudi-logview: ", "1"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.exitCode, RunToEnd(Beside("redudi-logview.exe") + "--critical --agent " + agent +
                                      " " + r.arguments,
                                  output_))
            << r.arguments;
        const std::string printed = ReadWholeFile(output_);
        const std::size_t at = printed.find(r.wants);
        EXPECT_TRUE(*r.wants == '\0' ? printed.empty() : at != std::string::npos)
            << r.arguments << ": " << printed;
        EXPECT_EQ(r.marks, MarksOf(agent)) << r.arguments;
    }
}

} // namespace
