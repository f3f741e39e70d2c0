// The critical log reader on logs of the test's own, written by this process.
#include "logging/win32/win32_critical_log_reader.h"
#include "logging/win32/win32_critical_logger.h"

#include "win32/critical_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

constexpr DWORD kWait = 10000;

class CriticalReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writer_.IsValid());
        ASSERT_TRUE(region_.IsOpen());
    }

    void Write(int from, int to) {
        for (int i = from; i <= to; ++i)
            writer_.Trace(i, "m%d", i);
    }

    static std::vector<std::string> Range(int from, int to) {
        std::vector<std::string> messages;
        for (int i = from; i <= to; ++i)
            messages.push_back("m" + std::to_string(i));
        return messages;
    }

    // The delivered marks of the records with codes from..to, which must all
    // still be in the ring.
    std::string Marks(int from, int to) {
        HeldMutex lock(region_.Mutex());
        std::string marks;
        for (int code = from; code <= to; ++code)
            for (const ACriticalLogEntry& e : region_.Map().records)
                if (e.code == code && e.message[0] == 'm')
                    marks += e.delivered ? '1' : '0';
        return marks;
    }

    // Runs `action` on another thread after `delay` ms.
    template <class Action>
    struct Job {
        DWORD delay;
        Action action;
        static DWORD WINAPI Main(void* p) {
            auto* job = static_cast<Job*>(p);
            Sleep(job->delay);
            job->action();
            delete job;
            return 0;
        }
    };
    template <class Action>
    HANDLE Later(DWORD delay, Action action) {
        return CreateThread(nullptr, 0, &Job<Action>::Main, new Job<Action>{delay, action}, 0,
                            nullptr);
    }

    static void Join(HANDLE thread) {
        WaitForSingleObject(thread, kWait);
        CloseHandle(thread);
    }

    PrivateLogNames names_;
    WIN32_CriticalLogger writer_{names_.Names()};
    CriticalRegionView region_{names_.Names()};
    CriticalCollector collector_;
    WIN32_CriticalLogReader reader_{names_.Names()};
};

TEST_F(CriticalReaderTest, DeliversEveryRecordOnceInOrderAndMarksIt) {
    ASSERT_TRUE(reader_.Start(&collector_));
    Write(1, 60);
    ASSERT_TRUE(collector_.WaitForCount(60, kWait));
    reader_.Stop(2000);
    EXPECT_EQ(Range(1, 60), collector_.Messages());
    EXPECT_EQ(std::string(60, '1'), Marks(1, 60));
}

TEST_F(CriticalReaderTest, FirstScanDeliversWhatIsStillInTheRing) {
    struct Row {
        int written;
        int firstKept;
    } rows[] = {{10, 1}, {400, 1}, {401, 2}, {450, 51}};
    for (const Row& r : rows) {
        PrivateLogNames names;
        WIN32_CriticalLogger writer(names.Names());
        for (int i = 1; i <= r.written; ++i)
            writer.Trace(i, "m%d", i);
        CriticalCollector collector;
        WIN32_CriticalLogReader reader(names.Names());
        ASSERT_TRUE(reader.Start(&collector)) << r.written;
        const std::size_t kept = static_cast<std::size_t>(r.written - r.firstKept + 1);
        EXPECT_TRUE(collector.WaitForCount(kept, kWait)) << r.written;
        reader.Stop(2000);
        EXPECT_EQ(Range(r.firstKept, r.written), collector.Messages()) << r.written;
    }
}

TEST_F(CriticalReaderTest, GracefulStopFinishesTheRecordBeingDelivered) {
    collector_.BlockAt("m2");
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
    ASSERT_TRUE(collector_.WaitUntilBlocked(kWait));
    HANDLE releaser = Later(300, [this] { collector_.Release(); });
    const DWORD start = GetTickCount();
    reader_.Stop(2000);
    const DWORD spent = GetTickCount() - start;
    Join(releaser);
    EXPECT_GE(spent, 250u);
    EXPECT_LT(spent, 1500u) << "returns when the scan ends, not after the timeout";
    EXPECT_FALSE(reader_.IsExecuting());
    EXPECT_EQ(Range(0, 3), collector_.Messages());
    EXPECT_EQ("1111", Marks(0, 3));
}

TEST_F(CriticalReaderTest, StopOfAnIdleReaderIsQuick) {
    for (unsigned timeout : {0u, 2000u}) {
        CriticalCollector collector;
        WIN32_CriticalLogReader reader(names_.Names());
        ASSERT_TRUE(reader.Start(&collector));
        ASSERT_TRUE(collector.WaitForCount(0, kWait));
        Sleep(100);
        const DWORD start = GetTickCount();
        reader.Stop(timeout);
        EXPECT_LT(GetTickCount() - start, 900u) << timeout;
        EXPECT_FALSE(reader.IsExecuting()) << timeout;
    }
}

TEST_F(CriticalReaderTest, StopInTheMiddleOfAScanLeavesTheRestUndelivered) {
    collector_.BlockAt("m3");
    Write(1, 8);
    ASSERT_TRUE(reader_.Start(&collector_));
    ASSERT_TRUE(collector_.WaitUntilBlocked(kWait));
    HANDLE releaser = Later(200, [this] { collector_.Release(); });
    reader_.Stop(0);
    Join(releaser);
    EXPECT_FALSE(reader_.IsExecuting());
    EXPECT_EQ(Range(1, 3), collector_.Messages());
    EXPECT_EQ("11100000", Marks(1, 8));
}

TEST_F(CriticalReaderTest, ThrowingListenerEndsTheReaderQuietly) {
    collector_.ThrowAt("m2");
    ASSERT_TRUE(reader_.Start(&collector_));
    Write(1, 4);
    const DWORD start = GetTickCount();
    while (reader_.IsExecuting() && GetTickCount() - start < kWait)
        Sleep(20);
    EXPECT_FALSE(reader_.IsExecuting());
    EXPECT_EQ(Range(1, 1), collector_.Messages());
    EXPECT_EQ("1000", Marks(1, 4)) << "a record whose listener failed is not delivered";
    const DWORD stopStart = GetTickCount();
    reader_.Stop(2000);
    EXPECT_LT(GetTickCount() - stopStart, 900u);
}

TEST_F(CriticalReaderTest, SecondStartKeepsTheRunningReaderWorking) {
    ASSERT_TRUE(reader_.Start(&collector_));
    CriticalCollector other;
    EXPECT_TRUE(reader_.Start(&other));
    Write(1, 5);
    ASSERT_TRUE(collector_.WaitForCount(5, kWait));
    EXPECT_TRUE(other.Messages().empty());
    const DWORD start = GetTickCount();
    reader_.Stop(2000);
    EXPECT_LT(GetTickCount() - start, 900u);
    EXPECT_FALSE(reader_.IsExecuting());
}

TEST_F(CriticalReaderTest, RecordOverwrittenDuringDeliveryIsNotMarked) {
    collector_.BlockAt("m1");
    // The reader ends at the first overwrite, so it never hands on (or
    // marks) the record that took m1's slot.
    collector_.ThrowAt("o0");
    ASSERT_TRUE(reader_.Start(&collector_));
    Write(1, 1);
    ASSERT_TRUE(collector_.WaitUntilBlocked(kWait));
    for (int i = 0; i < 400; ++i)
        writer_.Trace(5000 + i, "o%d", i);
    collector_.Release();
    const DWORD start = GetTickCount();
    while (reader_.IsExecuting() && GetTickCount() - start < kWait)
        Sleep(20);
    ASSERT_FALSE(reader_.IsExecuting());
    HeldMutex lock(region_.Mutex());
    EXPECT_EQ(5399, region_.Map().records[0].code);
    EXPECT_EQ(0, region_.Map().records[0].delivered);
}

TEST(CriticalReaderLife, DestroyingANeverStartedReaderIsQuick) {
    PrivateLogNames names;
    const DWORD start = GetTickCount();
    { WIN32_CriticalLogReader reader(names.Names()); }
    EXPECT_LT(GetTickCount() - start, 900u);
}

} // namespace
