// The process-private mutex, its facade and the scoped locks.
#include "thread_test_support.h"

using namespace REDudi;
using namespace threads_test;

TEST(MutexTest, TimedAcquisitionFailsWhileHeldElsewhereAndNestsForTheHolder) {
    AMutex mutex;
    ASSERT_TRUE(mutex.IsValid());
    ASSERT_TRUE(mutex.Acquire(0u));
    EXPECT_TRUE(mutex.Acquire(0u)); // recursive
    OnOtherThread([&] {
        Clock::time_point start = Clock::now();
        EXPECT_FALSE(mutex.Acquire(100u));
        EXPECT_GE(MillisecondsSince(start), 80);
    });
    mutex.Release();
    EXPECT_FALSE(FreeForOthers(mutex)); // still held once
    mutex.Release();
    EXPECT_TRUE(FreeForOthers(mutex));
}

// An untimed acquisition throws at the deadlock timeout; a retrying lock
// keeps trying until the holder lets go.
TEST(MutexTest, DeadlockTimeoutThrowsUnlessTheLockRetries) {
    AMutex mutex;
    mutex.SetDeadLockTimeout(50);
    Holder holder(mutex);
    Clock::time_point start = Clock::now();
    EXPECT_THROW(mutex.Acquire(nullptr), ThreadTerminateException);
    EXPECT_GE(MillisecondsSince(start), 40);
    EXPECT_THROW(AMutexLock(&mutex, false), ThreadTerminateException);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        holder.LetGo();
    });
    start = Clock::now();
    {
        AMutexLock lock(&mutex, true);
        EXPECT_GE(MillisecondsSince(start), 200);
        EXPECT_FALSE(FreeForOthers(mutex));
    }
    releaser.join();
    EXPECT_TRUE(FreeForOthers(mutex));
}

// The interface takes a Thread* where the facade takes a time-out.
struct InterfaceMutex {
    Mutex* mutex;
    bool Acquire(unsigned int ms) { return mutex->Acquire(ms, nullptr); }
    void Release() { mutex->Release(); }
};

TEST(MutexTest, ScopedLocksReleaseUnlessDetached) {
    InterfaceMutex raw{Mutex::GetNewMutex()};
    ASSERT_NE(raw.mutex, nullptr);
    {
        MutexLock lock(raw.mutex, false);
        EXPECT_FALSE(FreeForOthers(raw));
    }
    EXPECT_TRUE(FreeForOthers(raw));
    delete raw.mutex;
    AMutex mutex;
    {
        AMutexLock lock(&mutex, false);
        lock.Detach();
    }
    EXPECT_FALSE(FreeForOthers(mutex));
    mutex.Release();
    EXPECT_TRUE(FreeForOthers(mutex));
}

TEST(MutexTest, CopiesShareOneMutexThatOutlivesThem) {
    AMutex first;
    {
        AMutex second, third(first);
        second = third;
        ASSERT_TRUE(second.Acquire(0u));
        EXPECT_FALSE(FreeForOthers(first));
        second.Release();
    }
    EXPECT_TRUE(first.Acquire(0u));
    first.Release();
}

TEST(MutexTest, AbandonedMutexCountsAsAcquired) {
    AMutex mutex;
    std::thread([&] { EXPECT_TRUE(mutex.Acquire(0u)); }).join();
    EXPECT_TRUE(mutex.Acquire(1000u));
    mutex.Release();
    std::thread([&] { mutex.Acquire(nullptr); }).join();
    mutex.SetDeadLockTimeout(1000);
    EXPECT_NO_THROW(mutex.Acquire(nullptr));
    mutex.Release();
}

TEST(MutexTest, DestructionGivesUpAfterHalfASecondWhenHeldElsewhere) {
    AMutex* mutex = new AMutex;
    std::promise<void> held, letGo;
    // The holder never touches the facade after the destruction began, and
    // ends without releasing: the mutex it abandons stays undeleted.
    std::thread holder([&] {
        mutex->Acquire(nullptr);
        held.set_value();
        letGo.get_future().wait_for(kPatience);
    });
    std::future<void> heldFuture = held.get_future();
    ASSERT_TRUE(Arrives(heldFuture));
    Clock::time_point start = Clock::now();
    delete mutex;
    long long elapsed = MillisecondsSince(start);
    letGo.set_value();
    holder.join();
    EXPECT_GE(elapsed, 400);
    EXPECT_LT(elapsed, 5000);
}
