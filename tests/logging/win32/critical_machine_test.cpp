// The machine's critical log: the facade, the free functions and their trace
// mirror, the tools, and real writer, reader and holder processes.
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

// A name no other test process uses at the same time (agents: 31 characters).
std::string UniqueName(const char* stem) {
    static unsigned serial = 0;
    return (std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(++serial))
        .substr(0, 31);
}

class CriticalMachineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(critical_.IsOpen() && trace_.IsOpen()); }

    std::string MarksOf(const std::string& agent) {
        return critical_.Marks([&](const ACriticalLogEntry& e) { return agent == e.agent; });
    }

    CriticalRegionView critical_;
    LogRegion trace_;
};

TEST_F(CriticalMachineTest, EveryEntryPointWritesBothLogsOnceUnlessTheFormatIsNull) {
    ACriticalLogger facade;
    ASSERT_TRUE(facade.IsValid());
    const unsigned char one = 1, zero = 0, two = 2;
    // A facade's own writer starts its mirror with the trace log's default
    // subclass; the process-wide one names it "UNKNOWN".
    const struct {
        const char* name;
        std::function<void(const char*)> write;
        const char* subClass;
        unsigned level;
        const char* mirrorSubClass;
    } rows[] = {
        {"CritLogTrace", [](const char* f) { CritLogTrace(11, f); }, "UNKNOWN", 5, "UNKNOWN"},
        {"CritLogTrace level", [&](const char* f) { CritLogTrace(11, one, f); }, "UNKNOWN", 1,
         "UNKNOWN"},
        {"CritLogClassTrace", [](const char* f) { CritLogClassTrace(11, "S", f); }, "S", 5, "S"},
        {"CritLogClassTrace level", [&](const char* f) { CritLogClassTrace(11, "S", zero, f); },
         "S", 0, "S"},
        {"CritLogClassTrace null subclass",
         [](const char* f) { CritLogClassTrace(11, nullptr, f); }, "UNKNOWN", 5, "UNKNOWN"},
        {"facade Trace", [&](const char* f) { facade.Trace(11, f); }, "UNKNOWN", 5, "GENERAL"},
        {"facade ClassTrace level", [&](const char* f) { facade.ClassTrace(11, "S", two, f); }, "S",
         2, "S"},
    };
    const std::string text(3000, 'y');
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        // Both mutexes are recursive and held here: these are the last records.
        HeldMutex critical(critical_.Mutex()), trace(trace_.Mutex());
        ASSERT_TRUE(critical.Held() && trace.Held());
        const std::uint32_t criticalBefore = critical_.Map().count;
        const std::uint32_t traceBefore = trace_.Map().count;
        r.write(nullptr);
        r.write(text.c_str());
        ASSERT_EQ(criticalBefore + 1, critical_.Map().count);
        ASSERT_EQ(traceBefore + 1, trace_.Map().count);
        const ACriticalLogEntry& e = critical_.Last();
        EXPECT_EQ(11, e.code);
        for (const char* field : {e.agent, e.className, e.module})
            EXPECT_STREQ("UNKNOWN", field);
        EXPECT_STREQ(r.subClass, e.subClass);
        EXPECT_EQ(r.level, e.level);
        EXPECT_EQ(text.substr(0, 2047), e.message);
        EXPECT_EQ(IdText(GetCurrentProcessId()), e.process);
        EXPECT_EQ(IdText(GetCurrentThreadId()), e.thread);
        EXPECT_EQ(0, e.delivered);
        const ALogEntry& mirror = trace_.Last();
        EXPECT_STREQ("UNKNOWN", mirror.className);
        EXPECT_STREQ(r.mirrorSubClass, mirror.subClass);
        EXPECT_EQ(r.level, mirror.level);
        EXPECT_EQ(text.substr(0, 511), mirror.message);
    }
}

TEST_F(CriticalMachineTest, FacadeSettersReachTheRecordAndTheMirror) {
    ACriticalLogger facade;
    facade.SetAgent(PString("Agent"));
    facade.SetModule(PString("Module"));
    facade.SetClass(PString("Class"));
    facade.SetDefaultSubClass(PString("Default"));
    facade.SetDefaultLevel(4);
    HeldMutex critical(critical_.Mutex()), trace(trace_.Mutex());
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

// The reader process runs before the writers start or after they ended.
TEST_F(CriticalMachineTest, WriterProcessesAndOneReaderProcessDeliverEachRecordOnce) {
    const std::string output = TemporaryFile("critical");
    for (bool readerFirst : {true, false}) {
        SCOPED_TRACE(readerFirst ? "reader first" : "reader after");
        const std::string agent = UniqueName("agent");
        const int writers = readerFirst ? 2 : 1, perWriter = readerFirst ? 40 : 6;
        const int total = writers * perWriter;
        NamedEvent start(UniqueName("start"));
        ChildProcess reader, writer[2];
        // The machine's critical reader as users run it.
        const auto read = [&] {
            return reader.Start(CommandBeside("redudi-logview.exe",
                                              "--critical --mark-delivered --agent " + agent +
                                                  " --timeout 30 --count " + std::to_string(total)),
                                output);
        };
        ASSERT_TRUE(!readerFirst || read());
        for (int w = 0; w < writers; ++w)
            ASSERT_TRUE(StartHelper(writer[w], "critical-write " + agent + " " +
                                                   std::to_string(perWriter) + " " + start.name));
        SetEvent(start.handle);
        for (int w = 0; w < writers; ++w) {
            DWORD code = 1;
            EXPECT_TRUE(writer[w].Wait(30000, code) && code == 0);
        }
        ASSERT_TRUE(readerFirst || read());
        DWORD code = 1;
        EXPECT_TRUE(reader.Wait(40000, code) && code == 0);
        // "<agent> <process> <index>" once each, and nothing of other agents.
        std::istringstream lines(ReadWholeFile(output));
        std::multiset<std::string> got;
        for (std::string line; std::getline(lines, line);)
            got.insert(line.substr(std::min(line.size(), line.find(" " + agent + " "))));
        EXPECT_EQ(static_cast<std::size_t>(total), got.size());
        for (const std::string& line : got)
            EXPECT_EQ(1u, got.count(line)) << line;
        EXPECT_EQ(std::string(total, '1'), MarksOf(agent));
        // The helper's resource reads "5, 1, 0, 12".
        HeldMutex lock(critical_.Mutex());
        for (const ACriticalLogEntry& e : critical_.Map().records)
            EXPECT_TRUE(agent != e.agent || std::string("5.1.0.12") == e.version) << e.version;
    }
}

TEST_F(CriticalMachineTest, MutexHeldElsewhereLosesTheRecordButNotItsTraceCopy) {
    ChildProcess holder;
    ASSERT_TRUE(StartHelper(holder, "hold critical 6500"));
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
    std::string output;
    EXPECT_EQ(0u,
              RunBeside("redudi-logview.exe", "--dump --class UNKNOWN --grep " + text, &output));
    EXPECT_NE(std::string::npos, output.find(text)) << "the trace copy stands";
}

TEST_F(CriticalMachineTest, CritLogToolWritesOneRecordOrRefusesBadInput) {
    const struct {
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
    for (const auto& r : rows) {
        SCOPED_TRACE(r.arguments);
        const std::string agent = UniqueName("tool");
        const std::uint32_t before = critical_.Map().count;
        std::string output;
        EXPECT_EQ(r.exitCode,
                  RunBeside("redudi-critlog.exe",
                            "--agent " + agent + " --module Mod " + r.arguments, &output));
        const bool writes = r.exitCode == 0 && std::string(r.arguments) != "--help";
        EXPECT_EQ(before + (writes ? 1 : 0), critical_.Map().count);
        EXPECT_TRUE(r.exitCode != 2 || output.find("redudi-critlog: ") == 0) << output;
        if (writes) {
            HeldMutex lock(critical_.Mutex());
            const ACriticalLogEntry& e = critical_.Last();
            EXPECT_EQ(agent, e.agent);
            EXPECT_EQ(r.code, e.code);
            EXPECT_EQ(r.level, e.level);
            EXPECT_STREQ("Mod", e.module);
        }
    }
}

TEST_F(CriticalMachineTest, LogViewShowsAndMarksTheCriticalLog) {
    const std::string agent = UniqueName("view");
    CritLogSetAgent(PString(agent));
    CritLogTrace(77, "%s", "seen by the viewer");
    CritLogSetAgent(PString("UNKNOWN"));
    const struct {
        const char* arguments;
        DWORD exitCode;
        const char* wants; // empty: prints nothing
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
    for (const auto& r : rows) {
        SCOPED_TRACE(r.arguments);
        std::string output;
        EXPECT_EQ(r.exitCode,
                  RunBeside("redudi-logview.exe", "--critical --agent " + agent + " " + r.arguments,
                            &output));
        EXPECT_TRUE(*r.wants == '\0' ? output.empty() : output.find(r.wants) != std::string::npos)
            << output;
        EXPECT_EQ(r.marks, MarksOf(agent));
    }
}

} // namespace
