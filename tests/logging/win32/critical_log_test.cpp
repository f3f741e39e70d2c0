// The critical writer, the region it fills and the reader, on logs of the
// test's own.
#include "logging/win32/win32_critical_log_reader.h"
#include "logging/win32/win32_critical_logger.h"

#include "win32/critical_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

constexpr DWORD kWait = 10000;

std::vector<std::string> Range(int from, int to) {
    std::vector<std::string> messages;
    for (int i = from; i <= to; ++i)
        messages.push_back("m" + std::to_string(i));
    return messages;
}

class CriticalLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writer_.IsValid());
        ASSERT_TRUE(region_.IsOpen());
    }

    void Write(int from, int to) {
        for (int i = from; i <= to; ++i)
            writer_.Trace(i, "m%d", i);
    }

    // The delivered marks of the records with codes from..to.
    std::string Marks(int from, int to) {
        HeldMutex lock(region_.Mutex());
        std::string marks;
        for (int code = from; code <= to; ++code)
            for (const ACriticalLogEntry& e : region_.Map().records)
                if (e.code == code && e.message[0] == 'm')
                    marks += e.delivered ? '1' : '0';
        return marks;
    }

    // Stops the reader once `release` ms have passed; how long Stop took.
    DWORD StopWhileBlocked(unsigned timeout, DWORD release) {
        EXPECT_TRUE(collector_.WaitUntilBlocked(kWait));
        releaseAfter_ = release;
        HANDLE releaser = CreateThread(nullptr, 0, &ReleaseLater, this, 0, nullptr);
        const DWORD start = GetTickCount();
        reader_.Stop(timeout);
        const DWORD spent = GetTickCount() - start;
        WaitForSingleObject(releaser, kWait);
        CloseHandle(releaser);
        EXPECT_FALSE(reader_.IsExecuting());
        return spent;
    }

    static DWORD WINAPI ReleaseLater(void* p) {
        auto* self = static_cast<CriticalLogTest*>(p);
        Sleep(self->releaseAfter_);
        self->collector_.Release();
        return 0;
    }

    PrivateLogNames names_;
    WIN32_CriticalLogger writer_{names_.Names()};
    CriticalRegionView region_{names_.Names()};
    CriticalCollector collector_;
    WIN32_CriticalLogReader reader_{names_.Names()};
    volatile DWORD releaseAfter_ = 0;
};

TEST_F(CriticalLogTest, FieldsAreCutToTheirLimits) {
    // agent, module, class, subclass, message: at their limits, then one over.
    for (std::size_t over : {0u, 1u}) {
        const std::string s31(31 + over, 'a'), s63(63 + over, 'c'), s2047(2047 + over, 'm');
        WIN32_CriticalLogger writer(names_.Names());
        writer.SetAgent(PString(s31));
        writer.SetModule(PString(s31));
        writer.SetClass(PString(s63));
        writer.ClassTrace(1, s63.c_str(), "%s", s2047.c_str());
        const ACriticalLogEntry& e = region_.Last();
        for (const char* field : {e.agent, e.module})
            EXPECT_EQ(s31.substr(0, 31), field) << over;
        for (const char* field : {e.className, e.subClass})
            EXPECT_EQ(s63.substr(0, 63), field) << over;
        EXPECT_EQ(s2047.substr(0, 2047), e.message) << over;
    }
}

TEST(CriticalRing, WrapsAtTheCapacityOfWhoeverCreatedTheRegion) {
    for (std::uint32_t capacity : {400u, 399u}) {
        PrivateLogNames names;
        // A reader that creates the region leaves its last slot unused.
        std::unique_ptr<CriticalLogReader> reader;
        if (capacity == 399)
            reader.reset(new WIN32_CriticalLogReader(names.Names()));
        WIN32_CriticalLogger writer(names.Names());
        CriticalRegionView region(names.Names());
        ASSERT_TRUE(region.IsOpen()) << capacity;
        WIN32_CriticalLogMap& map = region.Map();
        ASSERT_EQ(capacity, map.capacity);
        EXPECT_EQ(934416u, map.size);
        for (std::uint32_t i = 1; i <= capacity + 1; ++i)
            writer.Trace(static_cast<int>(i), "record");
        EXPECT_EQ(static_cast<int>(capacity), map.records[capacity - 1].code) << capacity;
        EXPECT_EQ(static_cast<int>(capacity + 1), map.records[0].code) << capacity;
        EXPECT_EQ(1u, map.next) << capacity;
        EXPECT_EQ(capacity + 1, map.count) << capacity;
        EXPECT_EQ(capacity == 399 ? 0 : 400, map.records[399].code) << capacity;
    }
}

TEST(CriticalRing, DamagedCapacityNeitherDividesByZeroNorWritesPastTheRegion) {
    struct Row {
        std::uint32_t capacity, next, wantSlot, wantNext;
    } rows[] = {{0, 0, 0, 1}, {0, 399, 399, 0}, {401, 399, 399, 0}, {400, 400, 0, 1}, {1, 0, 0, 0}};
    for (const Row& r : rows) {
        PrivateLogNames names;
        WIN32_CriticalLogger writer(names.Names());
        CriticalRegionView region(names.Names());
        ASSERT_TRUE(region.IsOpen());
        region.Map().capacity = r.capacity;
        region.Map().next = r.next;
        writer.Trace(42, "damaged");
        EXPECT_EQ(42, region.Map().records[r.wantSlot].code) << r.capacity << " " << r.next;
        EXPECT_EQ(r.wantNext, region.Map().next) << r.capacity << " " << r.next;
    }
}

TEST(CriticalRegion, ForeignMappingOfTheSameNameIsRefused) {
    struct Row {
        DWORD bytes;
        std::uint32_t sizeField;
    } rows[] = {{4096, 4096}, {934416, 934415}, {934416 * 2, 934416 * 2}, {934416, 934416}};
    for (const Row& r : rows) {
        const bool accepted = r.sizeField == 934416;
        PrivateLogNames names;
        HANDLE foreign = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            r.bytes, names.Global(names.Names().mapping).c_str());
        auto* header =
            static_cast<std::uint32_t*>(MapViewOfFile(foreign, FILE_MAP_WRITE, 0, 0, 16));
        ASSERT_NE(nullptr, header);
        header[0] = r.sizeField;
        header[3] = 400;
        WIN32_CriticalLogger writer(names.Names());
        WIN32_CriticalLogReader reader(names.Names());
        CriticalCollector collector;
        EXPECT_EQ(accepted, writer.IsValid()) << r.bytes << " " << r.sizeField;
        EXPECT_EQ(accepted, reader.Start(&collector)) << r.bytes << " " << r.sizeField;
        writer.Trace(1, "never past the slot");
        reader.Stop(0);
        UnmapViewOfFile(header);
        CloseHandle(foreign);
    }
}

DWORD WINAPI HoldMutexUntilSignalled(void* p) {
    auto* handles = static_cast<HANDLE*>(p); // mutex, taken, done
    WaitForSingleObject(handles[0], kWait);
    SetEvent(handles[1]);
    WaitForSingleObject(handles[2], 20000);
    ReleaseMutex(handles[0]);
    return 0;
}

TEST(CriticalSetUp, BoundedWaitWhenAnotherHolderKeepsTheMutex) {
    for (bool regionExists : {true, false}) {
        PrivateLogNames names;
        std::unique_ptr<WIN32_CriticalLogger> first;
        if (regionExists)
            first.reset(new WIN32_CriticalLogger(names.Names()));
        // Holding the mutex on another thread, as a stuck process would.
        HANDLE handles[3] = {CreateMutexA(nullptr, FALSE, names.Global(names.Names().mutex).c_str()),
                             CreateEventA(nullptr, TRUE, FALSE, nullptr),
                             CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        HANDLE holder = CreateThread(nullptr, 0, &HoldMutexUntilSignalled, handles, 0, nullptr);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handles[1], kWait));
        const DWORD start = GetTickCount();
        WIN32_CriticalLogger writer(names.Names());
        const DWORD spent = GetTickCount() - start;
        EXPECT_EQ(regionExists, writer.IsValid()) << regionExists;
        EXPECT_GE(spent, 900u) << regionExists;
        EXPECT_LT(spent, 3000u) << regionExists;
        SetEvent(handles[2]);
        WaitForSingleObject(holder, kWait);
        for (HANDLE h : {holder, handles[0], handles[1], handles[2]})
            CloseHandle(h);
    }
}

TEST(CriticalReader, DeliversAndMarksEachRecordStillInTheRingOnce) {
    struct Row {
        int before, after, firstKept;
    } rows[] = {{0, 60, 1}, {10, 5, 1}, {400, 0, 1}, {401, 0, 2}, {450, 0, 51}};
    for (const Row& r : rows) {
        const std::string label = std::to_string(r.before) + "+" + std::to_string(r.after);
        PrivateLogNames names;
        WIN32_CriticalLogger writer(names.Names());
        CriticalRegionView region(names.Names());
        for (int i = 1; i <= r.before; ++i)
            writer.Trace(i, "m%d", i);
        CriticalCollector collector;
        WIN32_CriticalLogReader reader(names.Names());
        ASSERT_TRUE(reader.Start(&collector)) << label;
        const int last = r.before + r.after;
        EXPECT_TRUE(collector.WaitForCount(r.before - r.firstKept + 1, kWait)) << label;
        for (int i = r.before + 1; i <= last; ++i)
            writer.Trace(i, "m%d", i);
        EXPECT_TRUE(collector.WaitForCount(last - r.firstKept + 1, kWait)) << label;
        reader.Stop(2000);
        EXPECT_EQ(Range(r.firstKept, last), collector.Messages()) << label;
        HeldMutex lock(region.Mutex());
        int marked = 0;
        for (const ACriticalLogEntry& e : region.Map().records)
            marked += e.delivered;
        EXPECT_EQ(last - r.firstKept + 1, marked) << label;
    }
}

TEST_F(CriticalLogTest, GracefulStopFinishesTheScanBeingDelivered) {
    collector_.blockAt = "m2";
    ASSERT_TRUE(reader_.Start(&collector_));
    // Once m0 has come the reader is past its first scan and waits for more.
    Write(0, 0);
    ASSERT_TRUE(collector_.WaitForCount(1, kWait));
    Sleep(100);
    {
        // Written under the mutex, so that one scan takes all three.
        HeldMutex lock(region_.Mutex());
        Write(1, 3);
    }
    const DWORD spent = StopWhileBlocked(2000, 300);
    EXPECT_GE(spent, 250u);
    EXPECT_LT(spent, 1500u) << "returns when the scan ends, not after the timeout";
    EXPECT_EQ(Range(0, 3), collector_.Messages());
    EXPECT_EQ("1111", Marks(0, 3));
}

TEST_F(CriticalLogTest, StopInTheMiddleOfAScanLeavesTheRestUndelivered) {
    collector_.blockAt = "m3";
    Write(1, 8);
    ASSERT_TRUE(reader_.Start(&collector_));
    StopWhileBlocked(0, 200);
    EXPECT_EQ(Range(1, 3), collector_.Messages());
    EXPECT_EQ("11100000", Marks(1, 8));
}

TEST_F(CriticalLogTest, StopOfAnIdleOrNeverStartedReaderIsQuick) {
    for (unsigned timeout : {0u, 2000u}) {
        CriticalCollector collector;
        WIN32_CriticalLogReader reader(names_.Names());
        ASSERT_TRUE(reader.Start(&collector));
        Sleep(100);
        const DWORD start = GetTickCount();
        reader.Stop(timeout);
        EXPECT_LT(GetTickCount() - start, 900u) << timeout;
        EXPECT_FALSE(reader.IsExecuting()) << timeout;
    }
    const DWORD start = GetTickCount();
    { WIN32_CriticalLogReader reader(names_.Names()); }
    EXPECT_LT(GetTickCount() - start, 900u);
}

TEST_F(CriticalLogTest, ThrowingListenerEndsTheReaderQuietly) {
    collector_.throwAt = "m2";
    ASSERT_TRUE(reader_.Start(&collector_));
    Write(1, 4);
    EXPECT_TRUE(WaitUntil([&] { return !reader_.IsExecuting(); }, kWait));
    EXPECT_EQ(Range(1, 1), collector_.Messages());
    EXPECT_EQ("1000", Marks(1, 4)) << "a record whose listener failed is not delivered";
    const DWORD start = GetTickCount();
    reader_.Stop(2000);
    EXPECT_LT(GetTickCount() - start, 900u);
}

TEST_F(CriticalLogTest, SecondStartKeepsTheRunningReaderWorking) {
    ASSERT_TRUE(reader_.Start(&collector_));
    CriticalCollector other;
    EXPECT_TRUE(reader_.Start(&other));
    Write(1, 5);
    ASSERT_TRUE(collector_.WaitForCount(5, kWait));
    EXPECT_TRUE(other.Messages().empty());
    const DWORD start = GetTickCount();
    reader_.Stop(2000);
    EXPECT_LT(GetTickCount() - start, 900u);
}

TEST_F(CriticalLogTest, RecordOverwrittenDuringDeliveryIsNotMarked) {
    collector_.blockAt = "m1";
    // The reader ends at the first overwrite, so it never hands on (or
    // marks) the record that took m1's slot.
    collector_.throwAt = "o0";
    ASSERT_TRUE(reader_.Start(&collector_));
    Write(1, 1);
    ASSERT_TRUE(collector_.WaitUntilBlocked(kWait));
    for (int i = 0; i < 400; ++i)
        writer_.Trace(5000 + i, "o%d", i);
    collector_.Release();
    ASSERT_TRUE(WaitUntil([&] { return !reader_.IsExecuting(); }, kWait));
    HeldMutex lock(region_.Mutex());
    EXPECT_EQ(5399, region_.Map().records[0].code);
    EXPECT_EQ(0, region_.Map().records[0].delivered);
}

} // namespace
