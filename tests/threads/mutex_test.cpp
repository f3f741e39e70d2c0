// The process-private mutex, its facade and the scoped locks.
#include "thread_test_support.h"

#include <gtest/gtest.h>

using namespace REDudi;
using namespace threads_test;

namespace {

// The interface takes a Thread* where the facade takes a time-out.
struct InterfaceMutex {
    Mutex* mutex;
    bool Acquire(unsigned int ms) { return mutex->Acquire(ms, nullptr); }
    void Release() { mutex->Release(); }
};

// Holds a mutex on another thread until told to let go.
class Holder {
public:
    explicit Holder(AMutex& mutex) {
        thread_ = std::thread([this, &mutex] {
            mutex.Acquire(nullptr);
            held_.set_value();
            letGo_.get_future().wait_for(std::chrono::seconds(10));
            mutex.Release();
        });
        EXPECT_EQ(held_.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    }
    ~Holder() {
        LetGo();
        thread_.join();
    }
    void LetGo() {
        if (!released_) {
            released_ = true;
            letGo_.set_value();
        }
    }

private:
    std::promise<void> held_;
    std::promise<void> letGo_;
    bool released_ = false;
    std::thread thread_;
};

} // namespace

TEST(MutexTest, TimedAcquisitionFailsWhileHeldElsewhereAndNestsForTheHolder) {
    AMutex mutex;
    ASSERT_TRUE(mutex.IsValid());
    ASSERT_TRUE(mutex.Acquire(0u));
    EXPECT_TRUE(mutex.Acquire(0u)); // recursive
    std::async(std::launch::async, [&] {
        Clock::time_point start = Clock::now();
        EXPECT_FALSE(mutex.Acquire(100u));
        EXPECT_GE(MillisecondsSince(start), 80);
    }).get();
    mutex.Release();
    EXPECT_FALSE(FreeForOthers(mutex)); // still held once
    mutex.Release();
    EXPECT_TRUE(FreeForOthers(mutex));
}

TEST(MutexTest, DeadlockTimeoutThrowsFromUntimedAcquisition) {
    AMutex mutex;
    mutex.SetDeadLockTimeout(50);
    Holder holder(mutex);
    Clock::time_point start = Clock::now();
    EXPECT_THROW(mutex.Acquire(nullptr), ThreadTerminateException);
    EXPECT_GE(MillisecondsSince(start), 40);
    EXPECT_THROW(AMutexLock(&mutex, false), ThreadTerminateException);
}

TEST(MutexTest, RetryingLockWaitsPastTheDeadlockTimeout) {
    AMutex mutex;
    mutex.SetDeadLockTimeout(20);
    Holder holder(mutex);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        holder.LetGo();
    });
    Clock::time_point start = Clock::now();
    {
        AMutexLock lock(&mutex, true);
        EXPECT_GE(MillisecondsSince(start), 100);
        EXPECT_FALSE(FreeForOthers(mutex));
    }
    releaser.join();
    EXPECT_TRUE(FreeForOthers(mutex));
}

// Both scoped locks release at the end of their scope unless detached.
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
        EXPECT_FALSE(FreeForOthers(mutex));
        lock.Detach();
    }
    EXPECT_FALSE(FreeForOthers(mutex));
    mutex.Release();
    EXPECT_TRUE(FreeForOthers(mutex));
}

TEST(MutexTest, AssignedFacadesShareOneMutex) {
    AMutex first;
    {
        AMutex second;
        second = first;
        ASSERT_TRUE(second.Acquire(0u));
        EXPECT_FALSE(FreeForOthers(first));
        second.Release();
        AMutex third(first);
        EXPECT_TRUE(third.IsValid());
    }
    // The copies are gone; the mutex they shared still works.
    EXPECT_TRUE(first.IsValid());
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
    std::promise<void> held;
    std::promise<void> letGo;
    // The holder never touches the facade after the destruction began, and
    // ends without releasing: the mutex it abandons stays undeleted.
    std::thread holder([&] {
        mutex->Acquire(nullptr);
        held.set_value();
        letGo.get_future().wait_for(std::chrono::seconds(10));
    });
    ASSERT_EQ(held.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    Clock::time_point start = Clock::now();
    delete mutex;
    long long elapsed = MillisecondsSince(start);
    letGo.set_value();
    holder.join();
    EXPECT_GE(elapsed, 400);
    EXPECT_LT(elapsed, 5000);
}
