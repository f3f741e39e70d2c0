// The mutex, its facade and scoped locks; manual-reset events and auto-reset guards.
#include "thread_test_support.h"

#include <memory>

using namespace REDudi;
using namespace threads_test;

// An abandoned mutex counts as acquired, timed or untimed.
TEST(MutexTest, TimedAcquisitionFailsWhileHeldElsewhereAndNestsForTheHolder) {
    AMutex mutex;
    ASSERT_TRUE(mutex.IsValid());
    std::thread([&] { EXPECT_TRUE(mutex.Acquire(0u)); }).join();
    ASSERT_TRUE(mutex.Acquire(1000u));
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
    std::thread([&] { mutex.Acquire(nullptr); }).join();
    mutex.SetDeadLockTimeout(1000);
    EXPECT_NO_THROW(mutex.Acquire(nullptr));
    mutex.Release();
}

// A retrying lock waits until the holder lets go.
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

// The shared mutex outlives the facade copies.
TEST(MutexTest, ScopedLocksAndCopiesShareOneMutex) {
    std::unique_ptr<Mutex> raw(Mutex::GetNewMutex());
    ASSERT_NE(raw, nullptr);
    {
        MutexLock lock(raw.get(), false);
        EXPECT_FALSE(FreeForOthers(*raw));
    }
    EXPECT_TRUE(FreeForOthers(*raw));
    AMutex mutex;
    {
        AMutex second, third(mutex);
        second = third;
        AMutexLock lock(&second, false);
        lock.Detach();
    }
    EXPECT_FALSE(FreeForOthers(mutex));
    mutex.Release();
    EXPECT_TRUE(FreeForOthers(mutex));
}

// The holder abandons the mutex without touching it again: it must stay undeleted.
TEST(MutexTest, DestructionGivesUpAfterHalfASecondWhenHeldElsewhere) {
    AMutex* mutex = new AMutex;
    Holder holder(*mutex, false);
    Clock::time_point start = Clock::now();
    delete mutex;
    long long elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 400);
    EXPECT_LT(elapsed, 5000);
}

// An event stays signalled until reset; a guard's unawaited signal lets one wait through.
template <class E>
void CheckWaitersReleased(E* e, int perSignal) {
    ASSERT_TRUE(e && e->IsValid());
    e->SetDeadLockTimeOut(kPatienceMs);
    std::future<bool> waits[2];
    for (auto& wait : waits)
        wait = std::async(std::launch::async, [&] { return e->Wait(nullptr); });
    auto released = [&] {
        int ended = 0;
        for (auto& wait : waits)
            ended += wait.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        return ended;
    };
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // let them block
    EXPECT_EQ(released(), 0);
    e->Signal();
    EXPECT_TRUE(EventuallyTrue([&] { return released() == perSignal; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(released(), perSignal);
    if (perSignal == 1)
        e->Signal();
    EXPECT_TRUE(EventuallyTrue([&] { return released() == 2; }));
    e->Signal();
    EXPECT_TRUE(e->Wait(0, nullptr));
    EXPECT_EQ(e->Wait(0, nullptr), perSignal == 2);
    e->Reset();
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(e->Wait(50, nullptr));
    EXPECT_GE(MillisecondsSince(start), 40);
}

TEST(EventTest, EventsReleaseEveryWaiterAndGuardsOnePerSignal) {
    std::unique_ptr<Event> event(Event::GetNewEvent());
    CheckWaitersReleased(event.get(), 2);
    std::unique_ptr<Guard> guard(Guard::GetNewGuard());
    CheckWaitersReleased(guard.get(), 1);
}
