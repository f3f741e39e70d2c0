// The trace log end to end on the machine's real log: writers seen through the
// raw region, the live reader, and the tools run as a user runs them.
#include "win32/log_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <thread>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(logger_.IsValid() && region_.IsOpen()); }
    void TearDown() override { // the process-wide default as the library sets it up
        SetClass(PString("DEBUG"));
        SetDefaultSubClass(PString("DEBUG"));
        SetDefaultLevel(0);
        SetDefaultFlags(0);
    }
    // The newest record of this thread with `message`.
    const ALogEntry* Find(const char* message) {
        HeldMutex lock(region_.Mutex());
        return region_.Newest([&](const ALogEntry& e) {
            return std::strcmp(e.message, message) == 0 && IdText(GetCurrentThreadId()) == e.thread;
        });
    }
    ALogger logger_;
    LogRegion region_;
};

// Leaves a pattern where the writer's next frame will be.
__attribute__((noinline)) void DirtyStack() {
    volatile char dirt[8192];
    for (char& c : const_cast<char(&)[8192]>(dirt))
        c = '\xAA';
}

// Defaults or texts cut at 63 and 511 characters and every other byte zero;
// slot 199 stays unused even when a damaged header says otherwise.
TEST_F(TraceLogTest, RecordsAreExactAndTheRingWrapsAt199) {
    HeldMutex lock(region_.Mutex());
    WIN32_LogMap& map = region_.Map();
    EXPECT_EQ(143216u, map.size);
    EXPECT_EQ(199u, map.capacity);
    for (std::size_t length : {0u, 25u, 63u, 64u, 511u, 512u}) {
        SCOPED_TRACE(length);
        const std::string c(length, 'c'), s(length, 's'), m(length, 'm');
        const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
        if (length > 0)
            logger_.SetClass(PString(c));
        DirtyStack();
        length == 0 ? logger_.Trace("%s", "") : logger_.ClassTrace(s.c_str(), "%s", m.c_str());
        const ALogEntry& entry = region_.Last();
        const ALogEntry expected =
            MakeEntry(length ? c : "GENERAL", m, length ? s.c_str() : "GENERAL", 0, 0, entry.time);
        EXPECT_EQ(0, std::memcmp(&expected, &entry, sizeof entry));
        EXPECT_LE(before, entry.time);
        EXPECT_GE(static_cast<std::uint32_t>(std::time(nullptr)), entry.time);
    }
    while (map.next != 0)
        logger_.Trace("filling up to the ring's start");
    const std::uint32_t count = map.count;
    for (int i = 1; i <= 200; ++i)
        logger_.Trace("ring %d", i);
    EXPECT_STREQ("ring 199", map.records[198].message);
    EXPECT_STREQ("ring 200", map.records[0].message);
    EXPECT_EQ(1u, map.next);
    EXPECT_EQ(count + 200u, map.count);
    map.capacity = 0;
    logger_.Trace("capacity 0");
    map.capacity = 199;
    EXPECT_STREQ("capacity 0", map.records[1].message);
    EXPECT_EQ(2u, map.next);
    for (std::uint32_t next : {199u, 250u}) {
        map.next = next;
        logger_.Trace("next %u", next);
        EXPECT_EQ("next " + std::to_string(next), map.records[0].message);
        EXPECT_EQ(1u, map.next);
    }
    const ALogEntry zero = {};
    EXPECT_EQ(0, std::memcmp(&zero, &map.records[199], sizeof zero));
    map.next = map.count % 199; // back in step, as every reader expects
}

// Subclass, level and flags from the arguments or the defaults, per shape.
template <class Writer>
void CheckShapes(Writer& writer, LogRegion& region) {
    writer.SetClass(PString("Shapes"));
    writer.SetDefaultSubClass(PString("Default"));
    writer.SetDefaultLevel(7);
    writer.SetDefaultFlags(0x70u);
    const unsigned char l = 3;
    const unsigned int f = 0x30u;
    const char* p = "%d%%";
    const struct {
        std::function<void()> trace;
        const char* record;
    } rows[] = {
        {[&] { writer.Trace(l, f, p, 0); }, "Shapes/Default L3 F48 0%"},
        {[&] { writer.Trace(l, p, 1); }, "Shapes/Default L3 F112 1%"},
        {[&] { writer.Trace(f, p, 2); }, "Shapes/Default L7 F48 2%"},
        {[&] { writer.Trace(p, 3); }, "Shapes/Default L7 F112 3%"},
        {[&] { writer.ClassTrace("Arg", p, 4); }, "Shapes/Arg L7 F112 4%"},
        {[&] { writer.ClassTrace("Arg", l, f, p, 5); }, "Shapes/Arg L3 F48 5%"},
        {[&] { writer.ClassTrace("Arg", l, p, 6); }, "Shapes/Arg L3 F112 6%"},
        {[&] { writer.ClassTrace("Arg", f, "%s", "%d%% 7"); }, "Shapes/Arg L7 F48 %d%% 7"},
    };
    HeldMutex lock(region.Mutex());
    for (const auto& row : rows) {
        row.trace();
        EXPECT_EQ(row.record, Fields(region.Last()));
    }
}

// The free functions in the shape of a writer.
struct FreeFunctions {
    template <class... A>
    void Trace(A... arguments) {
        REDudi::Trace(arguments...);
    }
    template <class... A>
    void ClassTrace(A... arguments) {
        REDudi::ClassTrace(arguments...);
    }
    void SetClass(PString name) { REDudi::SetClass(name); }
    void SetDefaultSubClass(PString name) { REDudi::SetDefaultSubClass(name); }
    void SetDefaultLevel(unsigned char level) { REDudi::SetDefaultLevel(level); }
    void SetDefaultFlags(unsigned int flags) { REDudi::SetDefaultFlags(flags); }
};

// Copies of a facade share one writer; the free functions have another.
TEST_F(TraceLogTest, EachShapeOfEachWriter) {
    {
        ALogger copy(logger_), assigned;
        assigned = copy;
        SCOPED_TRACE("ALogger copy");
        CheckShapes(assigned, region_);
    }
    {
        HeldMutex lock(region_.Mutex());
        logger_.Trace("after the copies");
        EXPECT_EQ("Shapes/Default L7 F112 after the copies", Fields(region_.Last()));
        Trace("plain");
        EXPECT_EQ("DEBUG/DEBUG L0 F0 plain", Fields(region_.Last()));
    }
    SCOPED_TRACE("free functions");
    FreeFunctions functions;
    CheckShapes(functions, region_);
}

// A holder stuck elsewhere costs the record after a second, an abandoned mutex
// nothing; a call that waits into the next second is stamped with that second.
TEST_F(TraceLogTest, MutexHeldElsewhereDropsTheRecordAfterOneSecond) {
    for (const char* command : {"hold trace 3000", "abandon"}) {
        SCOPED_TRACE(command);
        const bool holding = command[0] == 'h';
        ChildProcess helper;
        DWORD exitCode = 1;
        ASSERT_TRUE(StartHelper(helper, command) && (holding || helper.Wait(30000, exitCode)));
        const DWORD started = GetTickCount();
        logger_.Trace("%s", command);
        const DWORD elapsed = GetTickCount() - started;
        EXPECT_EQ(!holding, Find(command) != nullptr);
        EXPECT_GE(elapsed, holding ? 900u : 0u);
        EXPECT_LE(elapsed, holding ? 2500u : 10000u);
        EXPECT_TRUE(helper.Wait(30000, exitCode));
    }
    // Late in a second, so that the hold stays well inside the writer's 1 s wait.
    std::time_t before;
    do {
        for (std::time_t tick = std::time(nullptr); std::time(nullptr) == tick;)
            Sleep(5);
        before = std::time(nullptr);
        Sleep(600);
    } while (std::time(nullptr) != before);
    ASSERT_TRUE(WriteIntoNextSecond(region_.Mutex(), before, [&] { logger_.Trace("late"); }));
    const ALogEntry* late = Find("late");
    ASSERT_NE(nullptr, late);
    EXPECT_LT(static_cast<std::uint32_t>(before), late->time);
}

// A collector of the test's own class: other tests share the log.
struct Listener : TraceCollector {
    Listener() : TraceCollector(OwnTestClass("R")) {}
};

std::unique_ptr<LogReader> NewReader() {
    return std::unique_ptr<LogReader>(LogReader::GetNewLogReader());
}

// Both mutexes held elsewhere while the reader opens: it follows nothing.
TEST(LogReaderTest, StartFailsWhenNeitherRegionOpened) {
    LogRegion current, legacy(LogRegion::Set::kLegacy);
    NamedEvent held(""), done("");
    std::thread holder([&] {
        HeldMutex first(current.Mutex()), second(legacy.Mutex());
        SetEvent(held.handle);
        WaitForSingleObject(done.handle, 10000);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.handle, 10000));
    auto reader = NewReader();
    SetEvent(done.handle);
    holder.join();
    Listener listener;
    EXPECT_FALSE(reader->Start(&listener));
}

// Two writer processes at once: each record whole, once and in order at the reader.
TEST(LogReaderTest, ConcurrentWriterProcesses) {
    Listener listener;
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    NamedEvent start(listener.only + "-go");
    ChildProcess writers[2];
    for (int w = 0; w < 2; ++w)
        ASSERT_TRUE(StartHelper(writers[w],
                                "write " + listener.only + " 80 " + "AB"[w] + " " + start.name));
    SetEvent(start.handle);
    for (ChildProcess& writer : writers) {
        DWORD exitCode = 1;
        EXPECT_TRUE(writer.Wait(60000, exitCode) && exitCode == 0);
    }
    int next[2] = {0, 0};
    for (const std::string& message : listener.WaitFor(160)) {
        char className[64], filler[512];
        unsigned long pid = 0;
        int index = -1;
        ASSERT_EQ(
            4, std::sscanf(message.c_str(), "%63s %lu %d %511s", className, &pid, &index, filler));
        const int w = filler[0] == 'B';
        EXPECT_EQ(std::string(400, "AB"[w]), filler);
        EXPECT_EQ(next[w]++, index) << "records of one writer torn, out of order or lost";
    }
    EXPECT_EQ(80, next[0]);
    EXPECT_EQ(80, next[1]);
}

// 500 records written while the listener is busy: the newest ring comes, without a gap.
TEST(LogReaderTest, SkipsRecordsOverwrittenWhileListenerIsBusy) {
    Listener listener;
    listener.blockAt = "block";
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    LogRegion region;
    ASSERT_TRUE(region.Write(listener.only, "block"));
    ASSERT_TRUE(listener.WaitUntilBlocked());
    {
        HeldMutex lock(region.Mutex()); // so that no other writer lands between ours
        for (const std::string& message : Numbered("n", 0, 500))
            ASSERT_TRUE(region.Write(listener.only, message));
    }
    listener.Release();
    ASSERT_TRUE(region.Write(listener.only, "tail"));
    std::vector<std::string> messages = listener.WaitFor(201, 10000, "tail");
    // Records of other processes may have pushed a few of ours out.
    ASSERT_GE(messages.size(), 152u);
    ASSERT_LE(messages.size(), 201u);
    const int kept = static_cast<int>(messages.size()) - 2;
    EXPECT_EQ("block", messages.front());
    EXPECT_EQ("tail", messages.back());
    EXPECT_EQ(Numbered("n", 500 - kept, 500),
              std::vector<std::string>(messages.begin() + 1, messages.end() - 1));
    // A listener still busy holds the reader's end back by its grace only.
    ASSERT_TRUE(region.Write(listener.only, "block") && listener.WaitUntilBlocked());
    const DWORD started = GetTickCount();
    reader.reset();
    const DWORD elapsed = GetTickCount() - started;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 5000u);
}

// Catch-up takes the current region first, each oldest first; then both are
// followed, and a held legacy mutex delays its records but loses none.
TEST(LegacyRegionTest, CatchesUpAndFollowsBothRegions) {
    Listener listener;
    LogRegion legacy(LogRegion::Set::kLegacy), current;
    for (const std::string& message : Numbered("n", 0, 10))
        ASSERT_TRUE(current.Write(listener.only, message));
    for (const std::string& message : Numbered("legacy", 0, 3))
        ASSERT_TRUE(legacy.Write(listener.only, message));
    auto reader = NewReader();
    EXPECT_FALSE(reader->Start(nullptr));
    ASSERT_TRUE(reader->Start(&listener));
    EXPECT_FALSE(reader->Start(&listener));
    std::vector<std::string> expected = Numbered("n", 0, 10),
                             legacyRecords = Numbered("legacy", 0, 3);
    expected.insert(expected.end(), legacyRecords.begin(), legacyRecords.end());
    EXPECT_EQ(expected, listener.WaitFor(13));
    ASSERT_TRUE(current.Write(listener.only, "current"));
    ASSERT_TRUE(legacy.Write(listener.only, "legacy 3"));
    ASSERT_EQ(15u, listener.WaitFor(15).size());
    {
        HeldMutex lock(legacy.Mutex());
        ASSERT_TRUE(legacy.Write(listener.only, "held"));
        Sleep(6000); // longer than the reader waits for the mutex
        EXPECT_EQ(15u, listener.Messages().size());
    }
    ASSERT_TRUE(legacy.Write(listener.only, "after"));
    std::vector<std::string> all = listener.WaitFor(17, 20000);
    std::sort(all.begin() + 13, all.begin() + 15); // the regions are scanned one by one
    expected.insert(expected.end(), {"current", "legacy 3", "held", "after"});
    EXPECT_EQ(expected, all);
    const DWORD started = GetTickCount();
    reader.reset();
    EXPECT_LT(GetTickCount() - started, 900u) << "an idle reader ends at once";
}

struct ToolRow {
    std::string arguments;
    DWORD exitCode;
    const char* output; // a text the output contains
    DWORD minimumMs;
};

void CheckCommandLines(const char* tool, const std::vector<ToolRow>& rows) {
    for (const ToolRow& row : rows) {
        SCOPED_TRACE(row.arguments);
        std::string output;
        const DWORD started = GetTickCount();
        EXPECT_EQ(row.exitCode, RunBeside(tool, row.arguments, &output));
        EXPECT_NE(std::string::npos, output.find(row.output)) << output;
        EXPECT_GE(GetTickCount() - started, row.minimumMs);
    }
}

TEST(LogViewTest, CommandLines) {
    const std::string own = OwnTestClass("V");
    CheckCommandLines("redudi-logview.exe", {{"--level x", 2, "level must be", 0},
                                             {"--level 256", 2, "level must be", 0},
                                             {"--level 255 --dump -c " + own, 0, "", 0},
                                             {"--count 0", 2, "count must be", 0},
                                             {"--timeout -1", 2, "timeout must be", 0},
                                             {"--class", 2, "needs a value", 0},
                                             {"--bogus", 2, "unknown option '--bogus'", 0},
                                             {"--dump --follow", 2, "exclude", 0},
                                             {"--pid x", 2, "pid must be", 0},
                                             {"--pid -18446744073709551615", 2, "pid must be", 0},
                                             {"--since 2026-13-01", 2, "since must be", 0},
                                             {"--since soon", 2, "since must be", 0},
                                             {"--help", 0, "Usage: redudi-logview", 0},
                                             {"--count 1 -t 1 -c " + own, 1, "", 900},
                                             {"--follow --timeout 1 --class " + own, 0, "", 900}});
}

std::string Iso(std::uint32_t seconds, const char* format = "%Y-%m-%dT%H:%M:%SZ") {
    const std::time_t value = seconds;
    char text[32];
    std::strftime(text, sizeof text, format, std::gmtime(&value));
    return text;
}

// Each row writes the set afresh under a class of its own, safe from other tests.
TEST(LogViewTest, DumpFilters) {
    // A dump merges the rings by time: the legacy record comes last.
    const std::uint32_t t = static_cast<std::uint32_t>(std::time(nullptr));
    LogRegion current, legacy(LogRegion::Set::kLegacy);
    const struct {
        LogRegion& region;
        const char *classSuffix, *subClass, *message;
        unsigned char level;
        std::uint32_t time;
    } records[] = {
        {current, "", "S1", "needle 1", 1, t - 1},
        {current, "", "S1", "needle 2", 3, t},
        {current, "", "S2", "needle 3", 1, t},
        {current, "x", "S1", "needle 4", 0, t},
        {current, "", "S1", "a needle\r\nover lines 5", 2, t},
        {legacy, "", "S1", "old 6", 2, t + 100},
    };
    const std::string self = std::to_string(GetCurrentProcessId());
    const std::string other = std::to_string(GetCurrentProcessId() + 4);
    const struct {
        std::string arguments;
        const char* shown; // the records printed, by their numbers
    } rows[] = {
        {"-d --subclass S1 --level 2 --grep needle", "15"},
        {"-d --count 2", "12"},
        {"--count 2 --timeout 20 --grep needle", "12"},
        {"-d --level 0", ""},
        {"-d --since " + Iso(t) + " --level 2", "356"},
        {"-d --since " + Iso(t - 1) + " --grep 1", "1"},
        {"-d --since " + Iso(t + 1), "6"},
        {"-d --pid " + other + " --pid " + self + " --grep 3", "3"},
        {"-d --pid " + other, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const std::string own = OwnTestClass("V") + "." + std::to_string(&row - rows);
        for (const auto& r : records)
            ASSERT_TRUE(
                r.region.Write(own + r.classSuffix, r.message, r.subClass, r.level, 0, r.time));
        std::vector<std::string> expected;
        for (const char* n = row.shown; *n != '\0'; ++n) {
            const auto& r = records[*n - '1'];
            std::string message = r.message;
            std::replace_if(
                message.begin(), message.end(), [](char c) { return c < ' '; }, ' ');
            expected.push_back(Iso(r.time, "%Y-%m-%d %H:%M:%S ") + IdText(GetCurrentProcessId()) +
                               " " + IdText(GetCurrentThreadId()) + " " + own + "/" + r.subClass +
                               " L" + std::to_string(r.level) + " " + message);
        }
        std::string output;
        EXPECT_EQ(
            0u, RunBeside("redudi-logview.exe", "--utc -c " + own + " " + row.arguments, &output));
        EXPECT_EQ(expected, Lines(output));
    }
}

// One JSON object a line whatever the bytes; ANSI (code page 1252) arrives as UTF-8.
TEST(LogViewTest, JsonLinesCarryEveryFieldAndRegion) {
    const std::string own = OwnTestClass("V");
    LogRegion current, legacy(LogRegion::Set::kLegacy);
    // Later than every real record, as the dump merges the rings by time.
    ASSERT_TRUE(current.Write(own, "caf\xE9 \"q\" \\ tab\t\x01 \x7F end", "S", 2, 16, 1922823000));
    ASSERT_TRUE(legacy.Write(own, "old", "S", 2, 16, 1922823001));
    std::string output;
    EXPECT_EQ(0u, RunBeside("redudi-logview.exe", "--dump --json --class " + own, &output));
    std::vector<std::string> lines = Lines(output);
    ASSERT_EQ(2u, lines.size()) << output;
    const nlohmann::json first = {{"time", "2030-12-06T21:30:00Z"},
                                  {"process", IdText(GetCurrentProcessId())},
                                  {"thread", IdText(GetCurrentThreadId())},
                                  {"class", own},
                                  {"subclass", "S"},
                                  {"level", 2},
                                  {"flags", 16},
                                  {"message", "caf\xC3\xA9 \"q\" \\ tab\t\x01 \x7F end"},
                                  {"region", "current"}};
    EXPECT_EQ(first, nlohmann::json::parse(lines[0]));
    EXPECT_EQ("2030-12-06T21:30:01Z", nlohmann::json::parse(lines[1])["time"]);
    EXPECT_EQ("legacy", nlohmann::json::parse(lines[1])["region"]);
    EXPECT_EQ(0u, RunBeside("redudi-logview.exe", "--dump --class " + own, &output));
    EXPECT_NE(std::string::npos, output.find("caf\xC3\xA9 ")) << output;
}

TEST(TraceToolTest, CommandLinesAndTheRecordWritten) {
    const std::string own = OwnTestClass("T");
    CheckCommandLines("redudi-trace.exe",
                      {{"", 2, "redudi-trace: no message", 0},
                       {"--level 256 x", 2, "level must be", 0},
                       {"--flags -1 x", 2, "flags must be", 0},
                       {"--flags 0x100000000 x", 2, "flags must", 0},
                       {"--nope x", 2, "unknown option '--nope'", 0},
                       {"--class", 2, "needs a value", 0},
                       {"--help", 0, "Usage: redudi-trace", 0},
                       {"-c " + own + "x -l 255 -f 0xFFFFFFFF x", 0, "", 0},
                       {"-c " + own + " -s Step -l 1 -f 0x8001 -- 100% done  now", 0, "", 0}});
    LogRegion region;
    HeldMutex lock(region.Mutex());
    for (const std::string& record :
         {own + "/Step L1 F32769 100% done now", own + "x/GENERAL L255 F4294967295 x"}) {
        const std::string className = record.substr(0, record.find('/'));
        const ALogEntry* entry =
            region.Newest([&](const ALogEntry& e) { return className == e.className; });
        EXPECT_EQ(record, entry != nullptr ? Fields(*entry) : "none");
    }
}

} // namespace
