// The machine's critical log: the facade, the free functions and their trace
// mirror, the tools, and real writer, reader and holder processes.
#include "win32/log_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
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

// The caller's format applied once, its texts cut at 31, 63, 2047 and (in
// the trace copy) 511 characters; nothing for a null format.
TEST_F(CriticalMachineTest, EveryEntryPointWritesBothLogsOnceUnlessTheFormatIsNull) {
    ACriticalLogger facade, named;
    ASSERT_TRUE(facade.IsValid());
    const std::string a32(32, 'a'), c64(64, 'c'), a = a32.substr(1), c = c64.substr(1);
    named.SetAgent(PString(a32));
    named.SetModule(PString(a32));
    named.SetClass(PString(c64));
    named.SetDefaultSubClass(PString(c64));
    named.SetDefaultLevel(4);
    const unsigned char one = 1, zero = 0, two = 2;
    // A facade's own mirror starts with the trace log's default subclass.
    const struct {
        std::function<void(const char*)> write;
        std::string record, mirror; // their fields before the message
    } rows[] = {
        {[](const char* f) { CritLogTrace(11, f, 100); }, "UNKNOWN UNKNOWN UNKNOWN/UNKNOWN #11 L5",
         "UNKNOWN/UNKNOWN L5"},
        {[&](const char* f) { CritLogTrace(11, one, f, 100); },
         "UNKNOWN UNKNOWN UNKNOWN/UNKNOWN #11 L1", "UNKNOWN/UNKNOWN L1"},
        {[](const char* f) { CritLogClassTrace(11, "S", f, 100); },
         "UNKNOWN UNKNOWN UNKNOWN/S #11 L5", "UNKNOWN/S L5"},
        {[&](const char* f) { CritLogClassTrace(11, "S", zero, f, 100); },
         "UNKNOWN UNKNOWN UNKNOWN/S #11 L0", "UNKNOWN/S L0"},
        {[](const char* f) { CritLogClassTrace(11, nullptr, f, 100); },
         "UNKNOWN UNKNOWN UNKNOWN/UNKNOWN #11 L5", "UNKNOWN/UNKNOWN L5"},
        {[&](const char* f) { facade.Trace(11, f, 100); }, "UNKNOWN UNKNOWN UNKNOWN/UNKNOWN #11 L5",
         "UNKNOWN/GENERAL L5"},
        {[&](const char* f) { facade.ClassTrace(11, "S", two, f, 100); },
         "UNKNOWN UNKNOWN UNKNOWN/S #11 L2", "UNKNOWN/S L2"},
        {[&](const char* f) { named.Trace(11, f, 100); },
         a + " " + a + " " + c + "/" + c + " #11 L4", c + "/" + c + " L4"},
    };
    const std::string format = "%d%% " + std::string(3000, 'y'), text = "100% " + format.substr(5);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.record);
        // Both mutexes are recursive and held here: these are the last records.
        HeldMutex critical(critical_.Mutex()), trace(trace_.Mutex());
        ASSERT_TRUE(critical.Held() && trace.Held());
        const std::uint32_t criticalBefore = critical_.Map().count;
        const std::uint32_t traceBefore = trace_.Map().count;
        r.write(nullptr);
        r.write(format.c_str());
        ASSERT_EQ(criticalBefore + 1, critical_.Map().count);
        ASSERT_EQ(traceBefore + 1, trace_.Map().count);
        const ACriticalLogEntry& e = critical_.Last();
        EXPECT_EQ(r.record + " " + text.substr(0, 2047), Fields(e));
        EXPECT_EQ(IdText(GetCurrentProcessId()) + IdText(GetCurrentThreadId()) + "0",
                  e.process + std::string(e.thread) + std::to_string(e.delivered));
        EXPECT_EQ(r.mirror + " F0 " + text.substr(0, 511), Fields(trace_.Last()));
    }
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
        std::multiset<std::string> got;
        for (const std::string& line : Lines(ReadWholeFile(output)))
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
        const char* record; // its fields after the agent, or none
    } rows[] = {
        {"--code 7 --level 255 --subclass Sub -- -starts with a dash", 0,
         "Mod UNKNOWN/Sub #7 L255 -starts with a dash"},
        {"--code -2147483648 --level 0 words", 0, "Mod UNKNOWN/UNKNOWN #-2147483648 L0 words"},
        {"--code 2147483647 plain", 0, "Mod UNKNOWN/UNKNOWN #2147483647 L5 plain"},
        {"--level 256 text", 2, ""},
        {"--level -1 text", 2, ""},
        {"--code 2147483648 text", 2, ""},
        {"--code -2147483649 text", 2, ""},
        {"--code 12x text", 2, ""},
        {"--agent", 2, ""},
        {"--colour red text", 2, ""},
        {"--code 1", 2, ""},
        {"--help", 0, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.arguments);
        const std::string agent = UniqueName("tool");
        const std::uint32_t before = critical_.Map().count;
        std::string output;
        EXPECT_EQ(r.exitCode,
                  RunBeside("redudi-critlog.exe",
                            "--agent " + agent + " --module Mod " + r.arguments, &output));
        EXPECT_TRUE(r.exitCode != 2 || output.find("redudi-critlog: ") == 0) << output;
        HeldMutex lock(critical_.Mutex());
        EXPECT_EQ(before + (*r.record != '\0' ? 1 : 0), critical_.Map().count);
        EXPECT_TRUE(*r.record == '\0' || agent + " " + r.record == Fields(critical_.Last()))
            << Fields(critical_.Last());
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
