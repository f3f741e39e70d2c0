// The multi-reader lock, within a process and across processes (mrsw_helper).
#include "thread_test_support.h"
#include "win32/child_process.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace REDudi;
using namespace threads_test;
using REDudi::testing::ChildProcess;

// A lock name of this process and test, so that parallel runs never meet.
static std::string OwnLockName() {
    return "mrsw_test_" + std::to_string(GetCurrentProcessId()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// A writer may enter again and also read; a reader cannot become a writer.
TEST(MRSWMutexTest, ReadersShareAndExcludeWritersAndOnlyAWriterReenters) {
    AMRSWMutex lock("");
    ASSERT_TRUE(lock.IsValid());
    // Releases nobody acquired neither block nor spoil the lock.
    OnOtherThread([&] {
        lock.ReleaseShared();
        lock.ReleaseExclusive();
    });
    for (int i = 0; i < 3; ++i)
        OnOtherThread([&] { EXPECT_TRUE(lock.AcquireShared(100)); });
    for (int i = 0; i < 3; ++i) {
        OnOtherThread([&] { EXPECT_FALSE(lock.AcquireExclusive(i ? 0 : 100)) << 3 - i; });
        lock.ReleaseShared(); // a reader's count is not tied to its thread
    }
    ASSERT_TRUE(lock.AcquireExclusive(0));
    EXPECT_TRUE(lock.AcquireExclusive(0));
    OnOtherThread([&] {
        Clock::time_point start = Clock::now();
        EXPECT_FALSE(lock.AcquireShared(100));
        EXPECT_GE(MillisecondsSince(start), 80);
        EXPECT_FALSE(lock.AcquireExclusive(0));
    });
    EXPECT_TRUE(lock.AcquireShared(0));
    lock.ReleaseExclusive();
    lock.ReleaseExclusive();
    OnOtherThread([&] { EXPECT_FALSE(lock.AcquireExclusive(0)); });
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(lock.AcquireExclusive(100));
    EXPECT_GE(MillisecondsSince(start), 80);
    lock.ReleaseShared();
    OnOtherThread([&] {
        EXPECT_TRUE(lock.AcquireExclusive(0));
        lock.ReleaseExclusive();
        EXPECT_TRUE(lock.AcquireShared(0));
        lock.ReleaseShared();
    });
}

// The untimed forms give up after 3000 ms (shared) and 5000 ms (exclusive).
TEST(MRSWMutexTest, UntimedAcquisitionsGiveUpAtTheirLimits) {
    AMRSWMutex written(""), read("");
    ASSERT_TRUE(written.AcquireExclusive(0) && read.AcquireShared(0));
    auto timed = [](AMRSWMutex* lock, bool exclusive) {
        return std::async(std::launch::async, [=] {
            Clock::time_point start = Clock::now();
            return (exclusive ? lock->AcquireExclusive() : lock->AcquireShared())
                       ? -1
                       : MillisecondsSince(start);
        });
    };
    std::future<long long> shared = timed(&written, false), exclusive = timed(&read, true);
    ASSERT_TRUE(Arrives(shared) && Arrives(exclusive));
    const long long sharedMs = shared.get(), exclusiveMs = exclusive.get();
    EXPECT_GE(sharedMs, 2900);
    EXPECT_LT(sharedMs, 4500);
    EXPECT_GE(exclusiveMs, 4900);
    EXPECT_LT(exclusiveMs, 6500);
}

// A name the system refuses gives an unusable lock; a second Initialize changes nothing.
TEST(MRSWMutexTest, NamesAndInitialisation) {
    const std::string own = OwnLockName();
    // Another kind of object holding one of the three names.
    HANDLE eventOnMutexName =
        CreateEventA(nullptr, TRUE, FALSE, ("QV_MRSW_INTERNAL_MUTEX__" + own + "m").c_str());
    HANDLE mutexOnSemaphoreName =
        CreateMutexA(nullptr, FALSE, ("QV_MRSW_INTERNAL_SEMAPHORE__" + own + "s").c_str());
    const size_t longest = MAX_PATH - std::string("QV_MRSW_INTERNAL_SEMAPHORE__").size();
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {own, true},
        {own + "m", false},
        {own + "s", false},
        {std::string(longest - 1, 'n'), true},
        {std::string(longest, 'n'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("name of " + std::to_string(c.first.size()) + " characters");
        AMRSWMutex lock(c.first.c_str());
        EXPECT_EQ(lock.IsValid(), c.second);
        EXPECT_EQ(lock.AcquireShared(0), c.second);
        if (c.second)
            lock.ReleaseShared();
        EXPECT_EQ(lock.AcquireExclusive(0), c.second);
        lock.ReleaseExclusive(); // harmless on an unusable lock
    }
    CloseHandle(eventOnMutexName);
    CloseHandle(mutexOnSemaphoreName);

    std::unique_ptr<MRSWMutex> lock(MRSWMutex::GetNewMRSWMutex());
    ASSERT_TRUE(lock && !lock->IsValid());
    ASSERT_TRUE(lock->Initialize(own.c_str()) && lock->AcquireShared(0));
    EXPECT_FALSE(lock->Initialize(""));
    EXPECT_FALSE(lock->AcquireExclusive(0)) << "the reader must still be counted";
    lock->ReleaseShared();
    EXPECT_TRUE(lock->AcquireExclusive(0));
    lock->ReleaseExclusive();
}

// Helpers report through a named semaphore once in and leave at the go event.
class MRSWCrossProcessTest : public ::testing::Test {
protected:
    MRSWCrossProcessTest()
        : name_(OwnLockName()),
          in_(CreateSemaphoreA(nullptr, 0, 100, ("redudi_mrsw_in_" + name_).c_str())),
          go_(CreateEventA(nullptr, TRUE, FALSE, ("redudi_mrsw_go_" + name_).c_str())) {}
    ~MRSWCrossProcessTest() override {
        SetEvent(go_);
        helpers_.clear();
        CloseHandle(in_);
        CloseHandle(go_);
    }

    ChildProcess& Start(const std::string& lockName, const std::string& mode,
                        unsigned int timeout = 5000) {
        helpers_.emplace_back(new ChildProcess);
        EXPECT_TRUE(helpers_.back()->Start(
            "\"" + REDudi::testing::ExecutableBeside("mrsw_helper.exe") + "\" \"" + lockName +
            "\" " + mode + " " + name_ + " " + std::to_string(timeout)));
        return *helpers_.back();
    }

    // Waits until `count` helpers hold the lock.
    bool AllIn(int count) {
        while (count-- > 0)
            if (WaitForSingleObject(in_, kPatienceMs) != WAIT_OBJECT_0)
                return false;
        return true;
    }

    static DWORD ExitCodeOf(ChildProcess& helper) {
        DWORD code = 0xDEAD;
        return helper.Wait(kPatienceMs, code) ? code : 0xDEAD;
    }

    const std::string name_;
    HANDLE in_, go_;
    std::vector<std::unique_ptr<ChildProcess>> helpers_;
};

// A waiting writer reserves nothing: readers keep entering until its timeout.
TEST_F(MRSWCrossProcessTest, ReaderProcessesShareEvenWithAWriterWaiting) {
    for (int readers : {3, 0}) {
        SCOPED_TRACE(readers ? "readers" : "writer");
        for (int i = 0; i < std::max(readers, 1); ++i)
            Start(name_, readers ? "shared-hold" : "exclusive-hold");
        ASSERT_TRUE(AllIn(std::max(readers, 1)));
        AMRSWMutex lock(name_.c_str());
        if (readers > 0) {
            ChildProcess& writer = Start(name_, "try-exclusive", 1000);
            for (Clock::time_point start = Clock::now(); MillisecondsSince(start) < 2000;) {
                ASSERT_TRUE(lock.AcquireShared(100));
                lock.ReleaseShared();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            EXPECT_EQ(ExitCodeOf(writer), 2u);
            helpers_.pop_back();
        }
        EXPECT_FALSE(lock.AcquireExclusive(100));
        EXPECT_EQ(lock.AcquireShared(100), readers > 0);
        if (readers > 0)
            lock.ReleaseShared();
        // A private lock of another process is another lock altogether.
        EXPECT_EQ(ExitCodeOf(Start("", "try-exclusive", 0)), 0u);
        SetEvent(go_);
        for (auto& helper : helpers_)
            EXPECT_EQ(ExitCodeOf(*helper), 0u);
        EXPECT_TRUE(lock.AcquireExclusive(100));
        lock.ReleaseExclusive();
        ResetEvent(go_);
        helpers_.clear();
    }
}

// A writer that died inside leaves the lock to the next; a reader stays counted.
TEST_F(MRSWCrossProcessTest, AProcessDyingInsideBlocksNobodyPastTheLimits) {
    for (const char* mode : {"exclusive-die", "shared-die"}) {
        SCOPED_TRACE(mode);
        const bool writerGetsIn = mode[0] == 'e';
        const std::string name = name_ + mode;
        AMRSWMutex lock(name.c_str());
        ChildProcess& dying = Start(name, mode);
        ASSERT_TRUE(AllIn(1));
        EXPECT_EQ(ExitCodeOf(dying), 9u);
        EXPECT_TRUE(lock.AcquireShared(1000));
        lock.ReleaseShared();
        Clock::time_point start = Clock::now();
        EXPECT_EQ(lock.AcquireExclusive(300), writerGetsIn);
        EXPECT_LT(MillisecondsSince(start), 1000);
        if (writerGetsIn)
            lock.ReleaseExclusive();
    }
}
