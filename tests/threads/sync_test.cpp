// The process-private mutex, its facade and the scoped locks; manual-reset
// events and auto-reset guards, with and without a thread.
#include "thread_test_support.h"

#include <memory>

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

// An event releases every waiter and stays signalled until reset; a guard
// releases one waiter per signal, and a signal nobody waits for lets the
// next single wait through.
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

TEST(EventTest, EventReleasesEveryWaiter) {
    std::unique_ptr<Event> event(Event::GetNewEvent());
    CheckWaitersReleased(event.get(), 2);
}

TEST(EventTest, GuardReleasesOneWaiterPerSignal) {
    std::unique_ptr<Guard> guard(Guard::GetNewGuard());
    CheckWaitersReleased(guard.get(), 1);
}

// At the deadlock timeout an event throws and a guard waiting on behalf of
// a thread reports false; on behalf of a terminating thread both throw,
// unless already signalled.
TEST(EventTest, UntimedWaitsAtTheDeadlockTimeoutAndForATerminatingThread) {
    std::unique_ptr<Thread> thread(Thread::GetNewThread()), ending(Thread::GetNewThread());
    ASSERT_TRUE(thread && ending);
    ending->Terminate(true); // never started: only its terminate event is signalled
    std::unique_ptr<Event> event(Event::GetNewEvent());
    std::unique_ptr<Guard> guard(Guard::GetNewGuard());
    event->SetDeadLockTimeOut(20);
    guard->SetDeadLockTimeOut(20);

    Clock::time_point start = Clock::now();
    EXPECT_FALSE(guard->Wait(thread.get()));
    EXPECT_GE(MillisecondsSince(start), 15);
    EXPECT_THROW(event->Wait(thread.get()), ThreadTerminateException);
    EXPECT_THROW(event->Wait(nullptr), ThreadTerminateException);
    EXPECT_THROW(guard->Wait(nullptr), ThreadTerminateException);
    EXPECT_FALSE(event->Wait(10, thread.get()));
    EXPECT_FALSE(guard->Wait(10, thread.get()));

    event->SetDeadLockTimeOut(kPatienceMs);
    guard->SetDeadLockTimeOut(kPatienceMs);
    start = Clock::now();
    EXPECT_THROW(event->Wait(kPatienceMs, ending.get()), ThreadTerminateException);
    EXPECT_THROW(guard->Wait(ending.get()), ThreadTerminateException);
    EXPECT_LT(MillisecondsSince(start), 2000);
    event->Signal();
    guard->Signal();
    EXPECT_TRUE(event->Wait(kPatienceMs, ending.get()));
    EXPECT_TRUE(guard->Wait(ending.get()));
}
