// The critical writer, the region it fills and the reader, on logs of the test's own.
#include "logging/win32/win32_critical_log_reader.h"
#include "logging/win32/win32_critical_logger.h"

#include "win32/log_support.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <thread>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

// A private log with its writer, a view of its region and a reader.
struct PrivateLog {
    void Write(int from, int to) {
        for (int i = from; i <= to; ++i)
            writer.Trace(i, "m %d", i);
    }
    std::string Marks() {
        return region.Marks([](const ACriticalLogEntry& e) { return e.message[0] == 'm'; });
    }
    PrivateLogNames names;
    WIN32_CriticalLogger writer{names.Names()};
    CriticalRegionView region{names.Names()};
    CriticalCollector collector;
    WIN32_CriticalLogReader reader{names.Names()};
};

class CriticalLogTest : public ::testing::Test, protected PrivateLog {
protected:
    void SetUp() override { ASSERT_TRUE(writer.IsValid() && region.IsOpen()); }
};

// A reader that creates the region leaves its last slot unused; a damaged
// header neither divides by zero nor writes past the region.
TEST(CriticalRing, WrapsAtTheCapacityOfWhoeverCreatedTheRegion) {
    for (std::uint32_t capacity : {400u, 399u}) {
        SCOPED_TRACE(capacity);
        PrivateLogNames names;
        std::unique_ptr<CriticalLogReader> reader;
        if (capacity == 399)
            reader.reset(new WIN32_CriticalLogReader(names.Names()));
        WIN32_CriticalLogger writer(names.Names());
        CriticalRegionView region(names.Names());
        ASSERT_TRUE(region.IsOpen());
        WIN32_CriticalLogMap& map = region.Map();
        ASSERT_EQ(capacity, map.capacity);
        EXPECT_EQ(934416u, map.size);
        for (std::uint32_t i = 1; i <= capacity + 1; ++i)
            writer.Trace(static_cast<int>(i), "record");
        EXPECT_EQ(static_cast<int>(capacity), map.records[capacity - 1].code);
        EXPECT_EQ(static_cast<int>(capacity + 1), map.records[0].code);
        EXPECT_EQ(1u, map.next);
        EXPECT_EQ(capacity + 1, map.count);
        EXPECT_EQ(capacity == 399 ? 0 : 400, map.records[399].code);
    }
    struct Row {
        std::uint32_t capacity, next, wantSlot, wantNext;
    } rows[] = {{0, 0, 0, 1}, {0, 399, 399, 0}, {401, 399, 399, 0}, {400, 400, 0, 1}, {1, 0, 0, 0}};
    PrivateLog log;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.capacity) + " " + std::to_string(r.next));
        log.region.Map().capacity = r.capacity;
        log.region.Map().next = r.next;
        const int code = 42 + static_cast<int>(&r - rows);
        log.writer.Trace(code, "damaged");
        EXPECT_EQ(code, log.region.Map().records[r.wantSlot].code);
        EXPECT_EQ(r.wantNext, log.region.Map().next);
    }
}

TEST(CriticalRegion, ForeignMappingOfTheSameNameIsRefused) {
    struct Row {
        DWORD bytes;
        std::uint32_t sizeField;
    } rows[] = {{4096, 4096}, {934416, 934415}, {934416 * 2, 934416 * 2}, {934416, 934416}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.bytes) + " " + std::to_string(r.sizeField));
        const bool accepted = r.sizeField == 934416;
        PrivateLogNames names;
        HANDLE foreign = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            r.bytes, GlobalName(names.Names().mapping).c_str());
        auto* header =
            static_cast<std::uint32_t*>(MapViewOfFile(foreign, FILE_MAP_WRITE, 0, 0, 16));
        ASSERT_NE(nullptr, header);
        header[0] = r.sizeField;
        header[3] = 400;
        WIN32_CriticalLogger writer(names.Names());
        WIN32_CriticalLogReader reader(names.Names());
        CriticalCollector collector;
        EXPECT_EQ(accepted, writer.IsValid());
        EXPECT_EQ(accepted, reader.Start(&collector));
        writer.Trace(1, "never past the slot");
        reader.Stop(0);
        UnmapViewOfFile(header);
        CloseHandle(foreign);
    }
}

// Writers give up after a second when another process keeps the mutex while
// they open; only one that found the region made is usable.
TEST(CriticalSetUp, BoundedWaitWhenAnotherHolderKeepsTheMutex) {
    for (bool regionExists : {true, false}) {
        SCOPED_TRACE(regionExists);
        PrivateLogNames names;
        std::unique_ptr<WIN32_CriticalLogger> first;
        if (regionExists)
            first.reset(new WIN32_CriticalLogger(names.Names()));
        ChildProcess holder; // ended with the row
        ASSERT_TRUE(StartHelper(holder, std::string("hold ") + names.Names().mutex + " 20000"));
        const DWORD start = GetTickCount();
        WIN32_CriticalLogger writer(names.Names());
        const DWORD spent = GetTickCount() - start;
        EXPECT_EQ(regionExists, writer.IsValid());
        EXPECT_GE(spent, 900u);
        EXPECT_LT(spent, 3000u);
    }
}

TEST(CriticalReader, DeliversAndMarksEachRecordStillInTheRingOnce) {
    struct Row {
        int before, after, firstKept;
    } rows[] = {{0, 60, 1}, {10, 5, 1}, {400, 0, 1}, {401, 0, 2}, {450, 0, 51}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.before) + "+" + std::to_string(r.after));
        PrivateLog log;
        log.Write(1, r.before);
        ASSERT_TRUE(log.reader.Start(&log.collector));
        const int last = r.before + r.after;
        EXPECT_EQ(static_cast<size_t>(r.before - r.firstKept + 1),
                  log.collector.WaitFor(r.before - r.firstKept + 1).size());
        log.Write(r.before + 1, last);
        log.collector.WaitFor(last - r.firstKept + 1);
        log.reader.Stop(2000);
        EXPECT_EQ(Numbered("m", r.firstKept, last + 1), log.collector.Messages());
        EXPECT_EQ(std::string(last - r.firstKept + 1, '1'), log.Marks());
    }
}

// A stop with a timeout lets the scan being delivered finish (returning when
// it ends, not after the timeout); one without leaves the rest undelivered.
TEST(CriticalReader, StopWhileAScanIsDelivered) {
    const struct {
        unsigned timeout;
        int last;
        const char* marks;
    } rows[] = {{2000, 3, "1111"}, {0, 2, "1110"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.timeout);
        PrivateLog log;
        log.collector.blockAt = "m 2";
        ASSERT_TRUE(log.reader.Start(&log.collector));
        // Once m0 has come the reader is past its first scan and waits for more.
        log.Write(0, 0);
        ASSERT_EQ(1u, log.collector.WaitFor(1).size());
        Sleep(100);
        {
            // Written under the mutex, so that one scan takes all three.
            HeldMutex lock(log.region.Mutex());
            log.Write(1, 3);
        }
        ASSERT_TRUE(log.collector.WaitUntilBlocked());
        std::thread releaser([&] {
            Sleep(300);
            log.collector.Release();
        });
        const DWORD start = GetTickCount();
        log.reader.Stop(r.timeout);
        const DWORD spent = GetTickCount() - start;
        releaser.join();
        EXPECT_FALSE(log.reader.IsExecuting());
        EXPECT_GE(spent, 250u);
        EXPECT_LT(spent, 1500u);
        EXPECT_EQ(Numbered("m", 0, r.last + 1), log.collector.Messages());
        EXPECT_EQ(r.marks, log.Marks());
    }
}

// Stopping is quick for an idle reader and one started twice (which keeps its
// first listener).
TEST(CriticalReader, StopIsQuickForIdleAndRestartedReaders) {
    for (int restarted : {0, 1})
        for (unsigned timeout : {0u, 2000u}) {
            SCOPED_TRACE(std::to_string(restarted) + " " + std::to_string(timeout));
            PrivateLog log;
            ASSERT_TRUE(log.reader.Start(&log.collector));
            CriticalCollector other;
            EXPECT_TRUE(!restarted || log.reader.Start(&other));
            log.Write(1, 5);
            EXPECT_EQ(5u, log.collector.WaitFor(5).size());
            EXPECT_TRUE(other.Messages().empty());
            const DWORD start = GetTickCount();
            log.reader.Stop(timeout);
            EXPECT_LT(GetTickCount() - start, 900u);
            EXPECT_FALSE(log.reader.IsExecuting());
        }
}

// Neither a record overwritten while it was delivered nor one whose listener
// threw (which ends the reader quietly) is marked; ended and never-started
// readers stop at once.
TEST_F(CriticalLogTest, RecordOverwrittenOrFailedInDeliveryIsNotMarked) {
    collector.blockAt = "m 1";
    collector.throwAt = "o0";
    ASSERT_TRUE(reader.Start(&collector));
    Write(1, 1);
    ASSERT_TRUE(collector.WaitUntilBlocked());
    for (int i = 0; i < 400; ++i)
        writer.Trace(5000 + i, "o%d", i);
    collector.Release();
    ASSERT_TRUE(WaitUntil([&] { return !reader.IsExecuting(); }));
    EXPECT_EQ(Numbered("m", 1, 2), collector.Messages());
    EXPECT_EQ(5399, region.Map().records[0].code);
    EXPECT_EQ(std::string(400, '0'),
              region.Marks([](const ACriticalLogEntry& e) { return e.message[0] == 'o'; }));
    const DWORD start = GetTickCount();
    reader.Stop(2000);
    { WIN32_CriticalLogReader never(names.Names()); }
    EXPECT_LT(GetTickCount() - start, 900u);
}

// A write that waits into the next second is stamped with the second it wrote in.
TEST_F(CriticalLogTest, TimeIsTakenOnceTheMutexIsHeld) {
    const std::time_t before = std::time(nullptr);
    ASSERT_TRUE(WriteIntoNextSecond(region.Mutex(), before, [&] { writer.Trace(7, "late"); }));
    ASSERT_EQ(7, region.Map().records[0].code);
    EXPECT_LT(static_cast<std::uint32_t>(before), region.Map().records[0].time);
}

} // namespace
