// The trace log end to end on the machine's real log: the writer, facades and
// free functions seen through the raw region, the live reader, and the tools
// run as a user runs them.
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

// Defaults or texts cut at 63 and 511 characters, identity, and every byte
// behind the texts zero, in one compare per record.
TEST_F(TraceLogTest, RecordIsExactlyItsFieldsCutToTheirLimitsAndZeros) {
    HeldMutex lock(region_.Mutex());
    EXPECT_EQ(143216u, region_.Map().size);
    EXPECT_EQ(199u, region_.Map().capacity);
    for (std::size_t length : {0u, 25u, 63u, 64u, 511u, 512u}) {
        SCOPED_TRACE(length);
        const std::string c(length, 'c'), s(length, 's'), m(length, 'm');
        const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
        if (length > 0)
            logger_.SetClass(PString(c));
        DirtyStack();
        length == 0 ? logger_.Trace("%s", "") : logger_.ClassTrace(s.c_str(), "%s", m.c_str());
        const ALogEntry& entry = region_.Last();
        ALogEntry expected = {};
        std::snprintf(expected.className, sizeof expected.className, "%s",
                      length ? c.c_str() : "GENERAL");
        std::snprintf(expected.subClass, sizeof expected.subClass, "%s",
                      length ? s.c_str() : "GENERAL");
        std::snprintf(expected.message, sizeof expected.message, "%s", m.c_str());
        std::strcpy(expected.process, IdText(GetCurrentProcessId()).c_str());
        std::strcpy(expected.thread, IdText(GetCurrentThreadId()).c_str());
        expected.time = entry.time;
        EXPECT_EQ(0, std::memcmp(&expected, &entry, sizeof entry));
        EXPECT_LE(before, entry.time);
        EXPECT_GE(static_cast<std::uint32_t>(std::time(nullptr)), entry.time);
    }
}

// Slot 199 stays unused even when a damaged header says otherwise.
TEST_F(TraceLogTest, RingWrapsAt199AndStaysInsideEvenWithADamagedHeader) {
    HeldMutex lock(region_.Mutex());
    WIN32_LogMap& map = region_.Map();
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

// A call that waits into the next second is stamped with the second it wrote in.
TEST_F(TraceLogTest, TimeIsTakenOnceTheMutexIsHeld) {
    // Late in a second, so that the hold stays well inside the writer's 1 s wait.
    std::time_t before;
    do {
        for (std::time_t tick = std::time(nullptr); std::time(nullptr) == tick;)
            Sleep(5);
        before = std::time(nullptr);
        Sleep(600);
    } while (std::time(nullptr) != before);
    NamedEvent held("");
    std::thread holder([&] {
        HeldMutex lock(region_.Mutex());
        SetEvent(held.handle);
        while (std::time(nullptr) == before)
            Sleep(5);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.handle, 5000));
    logger_.Trace("late");
    holder.join();
    const ALogEntry* late = Find("late");
    ASSERT_NE(nullptr, late);
    EXPECT_LT(static_cast<std::uint32_t>(before), late->time);
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
        const char* subClass;
        unsigned level, flags;
    } rows[] = {
        {[&] { writer.Trace(l, f, p, 0); }, "Default", 3, 0x30},
        {[&] { writer.Trace(l, p, 1); }, "Default", 3, 0x70},
        {[&] { writer.Trace(f, p, 2); }, "Default", 7, 0x30},
        {[&] { writer.Trace(p, 3); }, "Default", 7, 0x70},
        {[&] { writer.ClassTrace("Arg", p, 4); }, "Arg", 7, 0x70},
        {[&] { writer.ClassTrace("Arg", l, f, p, 5); }, "Arg", 3, 0x30},
        {[&] { writer.ClassTrace("Arg", l, p, 6); }, "Arg", 3, 0x70},
        {[&] { writer.ClassTrace("Arg", f, "%s", "%d%% 7"); }, "Arg", 7, 0x30},
    };
    HeldMutex lock(region.Mutex());
    for (const auto& row : rows) {
        const int shape = static_cast<int>(&row - rows);
        row.trace();
        const ALogEntry& entry = region.Last();
        EXPECT_STREQ("Shapes", entry.className) << shape;
        EXPECT_STREQ(row.subClass, entry.subClass) << shape;
        EXPECT_EQ(row.level, entry.level) << shape;
        EXPECT_EQ(row.flags, entry.flags) << shape;
        EXPECT_EQ(shape < 7 ? std::to_string(shape) + "%" : "%d%% 7", entry.message) << shape;
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
        EXPECT_STREQ("Shapes", region_.Last().className);
        Trace("plain");
        EXPECT_STREQ("DEBUG", region_.Last().className);
        EXPECT_STREQ("DEBUG", region_.Last().subClass);
    }
    SCOPED_TRACE("free functions");
    FreeFunctions functions;
    CheckShapes(functions, region_);
}

// A holder stuck elsewhere costs the record after a second; an abandoned mutex nothing.
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
}

// A collector of the test's own class: other tests share the log.
struct Listener : TraceCollector {
    Listener() : TraceCollector(OwnTestClass("R")) {}
};

std::unique_ptr<LogReader> NewReader() {
    return std::unique_ptr<LogReader>(LogReader::GetNewLogReader());
}

std::vector<std::string> Numbered(const std::string& prefix, int first, int end) {
    std::vector<std::string> messages;
    for (int i = first; i < end; ++i)
        messages.push_back(prefix + " " + std::to_string(i));
    return messages;
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
}

TEST(LogReaderTest, DestructionIsPromptUnlessTheListenerIsBusy) {
    for (bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "busy" : "idle");
        Listener listener;
        listener.blockAt = "block";
        auto reader = NewReader();
        ASSERT_TRUE(reader->Start(&listener));
        LogRegion region;
        ASSERT_TRUE(!busy || (region.Write(listener.only, "block") && listener.WaitUntilBlocked()));
        const DWORD started = GetTickCount();
        reader.reset();
        const DWORD elapsed = GetTickCount() - started;
        EXPECT_LT(elapsed, busy ? 5000u : 900u);
        EXPECT_GE(elapsed, busy ? 900u : 0u);
    }
}

// Catch-up takes the current region first, each oldest first; then both are followed.
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
    std::vector<std::string> all = listener.WaitFor(15);
    std::sort(all.begin() + 13, all.end()); // the regions are scanned one by one
    expected.insert(expected.end(), {"current", "legacy 3"});
    EXPECT_EQ(expected, all);
}

// Holding the legacy mutex (no writer of the library waits for it) loses no record.
TEST(LegacyRegionTest, ScanSkippedByHeldMutexDeliversWithNextWakeUp) {
    Listener listener;
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    LogRegion legacy(LogRegion::Set::kLegacy);
    {
        HeldMutex lock(legacy.Mutex());
        ASSERT_TRUE(legacy.Write(listener.only, "held"));
        Sleep(6000); // longer than the reader waits for the mutex
        EXPECT_TRUE(listener.Messages().empty());
    }
    ASSERT_TRUE(legacy.Write(listener.only, "after"));
    EXPECT_EQ((std::vector<std::string>{"held", "after"}), listener.WaitFor(2, 20000));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    return lines;
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
                                             {"--pid -1", 2, "pid must be", 0},
                                             {"--since 2026-13-01", 2, "since must be", 0},
                                             {"--since soon", 2, "since must be", 0},
                                             {"--help", 0, "Usage: redudi-logview", 0},
                                             {"--count 1 -t 1 -c " + own, 1, "", 900},
                                             {"--follow --timeout 1 --class " + own, 0, "", 900}});
}

std::string Iso(std::uint32_t seconds) {
    const std::time_t value = seconds;
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&value));
    return text;
}

// Each row writes the set afresh under a class of its own (other tests'
// records could push it out of the ring) and names the lines it must print.
TEST(LogViewTest, DumpFilters) {
    // Stamped from now on, as a dump merges the rings by time; the legacy
    // record far enough ahead that no other process's record comes after it.
    const std::uint32_t t = static_cast<std::uint32_t>(std::time(nullptr));
    LogRegion current, legacy(LogRegion::Set::kLegacy);
    const std::string self = std::to_string(GetCurrentProcessId());
    const std::string other = std::to_string(GetCurrentProcessId() + 4);
    std::string shown = Iso(t); // the whole line of a record, its time as shown
    shown = shown.substr(0, 10) + " " + shown.substr(11, 8) + " " + IdText(GetCurrentProcessId()) +
            " " + IdText(GetCurrentThreadId());
    const struct {
        std::string arguments;
        std::vector<std::string> messages;
    } rows[] = {
        {"-d --subclass S1 --level 2 --grep needle",
         {"S1 L1 needle 1", "S1 L2 a needle  over lines 5"}},
        {"-d --count 2", {"S1 L1 needle 1", "S1 L3 needle 2"}},
        {"--count 2 --timeout 20 --grep needle", {"S1 L1 needle 1", "S1 L3 needle 2"}},
        {"-d --level 0", {}},
        {"-d --since " + Iso(t) + " --level 2",
         {"S2 L1 needle 3", "S1 L2 a needle  over lines 5", "S1 L2 old 6"}},
        {"-d --since " + Iso(t - 1) + " --grep 1", {"S1 L1 needle 1"}},
        {"-d --since " + Iso(t + 1), {"S1 L2 old 6"}},
        {"-d --pid " + other + " --pid " + self + " --grep 3", {"S2 L1 needle 3"}},
        {"-d --pid " + other, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const std::string own = OwnTestClass("V") + "." + std::to_string(&row - rows);
        ASSERT_TRUE(current.Write(own, "needle 1", "S1", 1, 0, t - 1));
        ASSERT_TRUE(current.Write(own, "needle 2", "S1", 3, 0, t));
        ASSERT_TRUE(current.Write(own, "needle 3", "S2", 1, 0, t));
        ASSERT_TRUE(current.Write(own + "x", "needle 4", "S1", 0, 0, t));
        ASSERT_TRUE(current.Write(own, "a needle\r\nover lines 5", "S1", 2, 0, t));
        ASSERT_TRUE(legacy.Write(own, "old 6", "S1", 2, 0, t + 100));
        std::string output;
        EXPECT_EQ(
            0u, RunBeside("redudi-logview.exe", "--utc -c " + own + " " + row.arguments, &output));
        std::vector<std::string> lines = Lines(output);
        ASSERT_EQ(row.messages.size(), lines.size()) << output;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string suffix = " " + own + "/" + row.messages[i];
            EXPECT_EQ(suffix,
                      lines[i].substr(lines[i].size() - std::min(lines[i].size(), suffix.size())));
            EXPECT_TRUE(row.messages[i] != "S2 L1 needle 3" || lines[i] == shown + suffix)
                << lines[i];
        }
    }
}

// One JSON object a line whatever the bytes; ANSI (code page 1252) arrives as UTF-8.
TEST(LogViewTest, JsonLinesCarryEveryFieldAndRegion) {
    const std::string own = OwnTestClass("V");
    LogRegion current, legacy(LogRegion::Set::kLegacy);
    // Later than every real record of the shared rings, which the dump merges
    // by time: earlier stamps would be placed among the other tests' records.
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
    CheckCommandLines("redudi-trace.exe", {{"", 2, "redudi-trace: no message", 0},
                                           {"--level 256 x", 2, "level must be", 0},
                                           {"--flags -1 x", 2, "flags must be", 0},
                                           {"--flags 0x100000000 x", 2, "flags must", 0},
                                           {"--nope x", 2, "unknown option '--nope'", 0},
                                           {"--class", 2, "needs a value", 0},
                                           {"--help", 0, "Usage: redudi-trace", 0},
                                           {"-c " + own + "x -l 255 -f 0xFFFFFFFF x", 0, "", 0}});
    LogRegion region; // keeps the region open to look into it
    ASSERT_EQ(0u, RunBeside("redudi-trace.exe", "--class " + own +
                                                    " --subclass Step --level 1 --flags 0x8001 "
                                                    "-- 100% done  now"));
    HeldMutex lock(region.Mutex());
    const ALogEntry* entry = region.Newest([&](const ALogEntry& e) { return own == e.className; });
    ASSERT_NE(nullptr, entry);
    EXPECT_STREQ("Step", entry->subClass);
    EXPECT_EQ(1, entry->level);
    EXPECT_EQ(0x8001u, entry->flags);
    EXPECT_STREQ("100% done now", entry->message);
    const ALogEntry* limits =
        region.Newest([&](const ALogEntry& e) { return own + "x" == e.className; });
    ASSERT_NE(nullptr, limits);
    EXPECT_EQ(255, limits->level);
    EXPECT_EQ(0xFFFFFFFFu, limits->flags);
}

} // namespace
