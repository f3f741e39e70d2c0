// The multi-reader single-writer lock: in one process with threads, and
// across processes by name with mrsw_helper as the other process.
#include "thread_test_support.h"
#include "win32/child_process.h"

#include <REDudi/threads.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

// A lock name of this process and test, so that parallel runs never meet.
std::string OwnLockName() {
    return "mrsw_test_" + std::to_string(GetCurrentProcessId()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Runs `body` on another thread and waits for it, never for ever.
template <class Body>
void OnOtherThread(Body body) {
    std::future<void> done = std::async(std::launch::async, body);
    ASSERT_TRUE(Arrives(done));
    done.get();
}

struct Holding {
    const char* name;
    bool exclusive; // how another thread holds the lock
};

} // namespace

TEST(MRSWMutexTest, ReadersShareAndAWriterWaitsForAllOfThem) {
    AMRSWMutex lock("");
    ASSERT_TRUE(lock.IsValid());
    for (int i = 0; i < 3; ++i)
        OnOtherThread([&] { EXPECT_TRUE(lock.AcquireShared(100)); });
    OnOtherThread([&] { EXPECT_FALSE(lock.AcquireExclusive(100)); });
    for (int i = 0; i < 3; ++i) {
        OnOtherThread([&] { EXPECT_FALSE(lock.AcquireExclusive(0)) << "readers left: " << 3 - i; });
        lock.ReleaseShared(); // a reader's count is not tied to its thread
    }
    OnOtherThread([&] {
        EXPECT_TRUE(lock.AcquireExclusive(100));
        lock.ReleaseExclusive();
    });
}

TEST(MRSWMutexTest, AWriterExcludesReadersAndWriters) {
    AMRSWMutex lock("");
    ASSERT_TRUE(lock.AcquireExclusive(0));
    OnOtherThread([&] {
        Clock::time_point start = Clock::now();
        EXPECT_FALSE(lock.AcquireShared(100));
        EXPECT_GE(MillisecondsSince(start), 80);
        EXPECT_FALSE(lock.AcquireExclusive(0));
    });
    lock.ReleaseExclusive();
    OnOtherThread([&] {
        EXPECT_TRUE(lock.AcquireShared(0));
        lock.ReleaseShared();
    });
}

// The untimed forms give up after 3000 ms (shared) and 5000 ms (exclusive);
// both cases run at once to keep the test short.
TEST(MRSWMutexTest, UntimedAcquisitionsGiveUpAtTheirLimits) {
    struct Case {
        bool holderExclusive;
        long long atLeast, below;
    } cases[] = {{true, 2900, 4500}, {false, 4900, 6500}};
    std::vector<std::unique_ptr<AMRSWMutex>> locks;
    std::vector<std::future<long long>> waits;
    for (const Case& c : cases) {
        locks.emplace_back(new AMRSWMutex(""));
        AMRSWMutex* lock = locks.back().get();
        ASSERT_TRUE(c.holderExclusive ? lock->AcquireExclusive(0) : lock->AcquireShared(0));
        waits.push_back(std::async(std::launch::async, [lock, c] {
            Clock::time_point start = Clock::now();
            bool got = c.holderExclusive ? lock->AcquireShared() : lock->AcquireExclusive();
            return got ? -1 : MillisecondsSince(start);
        }));
    }
    for (size_t i = 0; i < waits.size(); ++i) {
        ASSERT_TRUE(Arrives(waits[i]));
        long long waited = waits[i].get();
        EXPECT_GE(waited, cases[i].atLeast) << "case " << i;
        EXPECT_LT(waited, cases[i].below) << "case " << i;
    }
}

TEST(MRSWMutexTest, SecondInitializeFailsAndChangesNothing) {
    std::unique_ptr<MRSWMutex> lock(MRSWMutex::GetNewMRSWMutex());
    ASSERT_NE(lock, nullptr);
    EXPECT_FALSE(lock->IsValid());
    ASSERT_TRUE(lock->Initialize(OwnLockName().c_str()));
    ASSERT_TRUE(lock->AcquireShared(0));
    EXPECT_FALSE(lock->Initialize(""));
    EXPECT_FALSE(lock->AcquireExclusive(0)) << "the reader must still be counted";
    lock->ReleaseShared();
    EXPECT_TRUE(lock->AcquireExclusive(0));
    lock->ReleaseExclusive();
}

TEST(MRSWMutexTest, NamesTheSystemCannotTakeGiveAnUnusableLock) {
    const std::string own = OwnLockName();
    // Another kind of object holding one of the three names.
    HANDLE eventOnMutexName =
        CreateEventA(nullptr, TRUE, FALSE, ("QV_MRSW_INTERNAL_MUTEX__" + own + "m").c_str());
    HANDLE mutexOnSemaphoreName =
        CreateMutexA(nullptr, FALSE, ("QV_MRSW_INTERNAL_SEMAPHORE__" + own + "s").c_str());
    const size_t longestPrefix = std::string("QV_MRSW_INTERNAL_SEMAPHORE__").size();
    struct Case {
        std::string name;
        bool valid;
    } cases[] = {
        {"", true},
        {own, true},
        {own + "m", false},
        {own + "s", false},
        {std::string(MAX_PATH - 1 - longestPrefix, 'n'), true},
        {std::string(MAX_PATH - longestPrefix, 'n'), false},
    };
    for (const Case& c : cases) {
        AMRSWMutex lock(c.name.c_str());
        EXPECT_EQ(lock.IsValid(), c.valid) << "name of " << c.name.size() << " characters";
        EXPECT_EQ(lock.AcquireShared(0), c.valid) << c.name.size();
        if (c.valid)
            lock.ReleaseShared();
        EXPECT_EQ(lock.AcquireExclusive(0), c.valid) << c.name.size();
        lock.ReleaseExclusive(); // harmless on an unusable lock
    }
    CloseHandle(eventOnMutexName);
    CloseHandle(mutexOnSemaphoreName);
}

// A release nobody acquired is not detected, but it neither blocks nor
// spoils the lock for later holders.
TEST(MRSWMutexTest, ReleasingWhatIsNotHeldChangesNothing) {
    for (const Holding& h : {Holding{"shared", false}, Holding{"exclusive", true}}) {
        AMRSWMutex lock("");
        OnOtherThread([&] { h.exclusive ? lock.ReleaseExclusive() : lock.ReleaseShared(); });
        ASSERT_TRUE(lock.AcquireShared(0)) << h.name;
        OnOtherThread([&] { EXPECT_FALSE(lock.AcquireExclusive(0)) << h.name; });
        lock.ReleaseShared();
        OnOtherThread([&] {
            EXPECT_TRUE(lock.AcquireExclusive(0)) << h.name;
            lock.ReleaseExclusive();
        });
    }
}

TEST(MRSWMutexTest, RecursiveAcquisitionByOneThread) {
    AMRSWMutex lock("");
    // A writer may enter again, and also read.
    ASSERT_TRUE(lock.AcquireExclusive(0));
    EXPECT_TRUE(lock.AcquireExclusive(0));
    EXPECT_TRUE(lock.AcquireShared(0));
    lock.ReleaseExclusive();
    lock.ReleaseExclusive();
    // Its reader still keeps other writers out.
    OnOtherThread([&] { EXPECT_FALSE(lock.AcquireExclusive(0)); });
    // A reader cannot become a writer: it gives up at its timeout.
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(lock.AcquireExclusive(100));
    EXPECT_GE(MillisecondsSince(start), 80);
    lock.ReleaseShared();
    EXPECT_TRUE(lock.AcquireExclusive(0));
    lock.ReleaseExclusive();
}

// Cross-process cases. Helpers report through a named semaphore once they
// hold the lock and release it when the named go event is set.
class MRSWCrossProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = OwnLockName();
        tag_ = name_;
        in_ = CreateSemaphoreA(nullptr, 0, 100, ("redudi_mrsw_in_" + tag_).c_str());
        go_ = CreateEventA(nullptr, TRUE, FALSE, ("redudi_mrsw_go_" + tag_).c_str());
        ASSERT_NE(in_, nullptr);
        ASSERT_NE(go_, nullptr);
    }
    void TearDown() override {
        SetEvent(go_);
        helpers_.clear();
        CloseHandle(in_);
        CloseHandle(go_);
    }

    REDudi::testing::ChildProcess& Start(const std::string& lockName, const std::string& mode,
                                         unsigned int timeout = 5000) {
        helpers_.emplace_back(new REDudi::testing::ChildProcess);
        std::string line = "\"" + REDudi::testing::ExecutableBeside("mrsw_helper.exe") + "\" \"" +
                           lockName + "\" " + mode + " " + tag_ + " " + std::to_string(timeout);
        EXPECT_TRUE(helpers_.back()->Start(line));
        return *helpers_.back();
    }

    // Waits until `count` helpers hold the lock.
    bool AllIn(int count) {
        for (int i = 0; i < count; ++i) {
            if (WaitForSingleObject(in_, kPatienceMs) != WAIT_OBJECT_0)
                return false;
        }
        return true;
    }

    static DWORD ExitCodeOf(REDudi::testing::ChildProcess& helper) {
        DWORD code = 0xDEAD;
        return helper.Wait(kPatienceMs, code) ? code : 0xDEAD;
    }

    std::string name_;
    std::string tag_;
    HANDLE in_ = nullptr;
    HANDLE go_ = nullptr;
    std::vector<std::unique_ptr<REDudi::testing::ChildProcess>> helpers_;
};

TEST_F(MRSWCrossProcessTest, ReaderProcessesShareAndExcludeAWriter) {
    for (int i = 0; i < 3; ++i)
        Start(name_, "shared-hold");
    ASSERT_TRUE(AllIn(3));
    AMRSWMutex lock(name_.c_str());
    EXPECT_FALSE(lock.AcquireExclusive(100));
    EXPECT_TRUE(lock.AcquireShared(100));
    lock.ReleaseShared();
    SetEvent(go_);
    for (auto& helper : helpers_)
        EXPECT_EQ(ExitCodeOf(*helper), 0u);
    EXPECT_TRUE(lock.AcquireExclusive(100));
    lock.ReleaseExclusive();
}

TEST_F(MRSWCrossProcessTest, AWriterProcessExcludesEveryone) {
    REDudi::testing::ChildProcess& writer = Start(name_, "exclusive-hold");
    ASSERT_TRUE(AllIn(1));
    AMRSWMutex lock(name_.c_str());
    EXPECT_FALSE(lock.AcquireShared(100));
    EXPECT_FALSE(lock.AcquireExclusive(100));
    // A private lock of the same process is another lock altogether.
    EXPECT_EQ(ExitCodeOf(Start("", "try-exclusive", 0)), 0u);
    SetEvent(go_);
    EXPECT_EQ(ExitCodeOf(writer), 0u);
    EXPECT_TRUE(lock.AcquireShared(100));
    lock.ReleaseShared();
}

// A writer waiting reserves nothing: while readers keep overlapping, the
// reader count never drops to zero and the writer gives up at its timeout.
// Once the stream stops it gets in at once.
TEST_F(MRSWCrossProcessTest, AStreamOfReadersHoldsAWriterOffUntilItsTimeout) {
    AMRSWMutex lock(name_.c_str());
    ASSERT_TRUE(lock.AcquireShared(0));
    REDudi::testing::ChildProcess& writer = Start(name_, "try-exclusive", 300);
    for (Clock::time_point start = Clock::now(); MillisecondsSince(start) < 1500;) {
        // Each new reader enters before the one before it leaves.
        ASSERT_TRUE(lock.AcquireShared(1000));
        lock.ReleaseShared();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(ExitCodeOf(writer), 2u);
    lock.ReleaseShared();
    EXPECT_EQ(ExitCodeOf(Start(name_, "try-exclusive", 300)), 0u);
}

// A process that dies holding the lock exclusively leaves its entry mutex
// abandoned: the next process is given the lock. One that dies holding it
// shared stays counted: readers still enter, writers give up at their
// timeout.
TEST_F(MRSWCrossProcessTest, AProcessDyingInsideBlocksNobodyPastTheLimits) {
    struct Case {
        const char* mode;
        bool writerGetsIn;
    } cases[] = {{"exclusive-die", true}, {"shared-die", false}};
    for (const Case& c : cases) {
        std::string name = name_ + c.mode;
        AMRSWMutex lock(name.c_str());
        REDudi::testing::ChildProcess& dying = Start(name, c.mode);
        ASSERT_TRUE(AllIn(1)) << c.mode;
        EXPECT_EQ(ExitCodeOf(dying), 9u) << c.mode;
        EXPECT_TRUE(lock.AcquireShared(1000)) << c.mode;
        lock.ReleaseShared();
        Clock::time_point start = Clock::now();
        EXPECT_EQ(lock.AcquireExclusive(300), c.writerGetsIn) << c.mode;
        EXPECT_LT(MillisecondsSince(start), 1000) << c.mode;
        if (c.writerGetsIn)
            lock.ReleaseExclusive();
    }
}
