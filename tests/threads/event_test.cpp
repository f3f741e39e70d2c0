// Manual-reset events and auto-reset guards, with and without a thread.
#include "thread_test_support.h"

#include <memory>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

// Starts `count` threads that each wait once, untimed, on `wait`; the
// destructor joins them.
class Waiters {
public:
    template <class Wait>
    Waiters(int count, Wait wait) {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this, wait] { released_ += wait() ? 1 : 0; });
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // let them block
    }
    ~Waiters() {
        for (std::thread& t : threads_)
            t.join();
    }
    std::atomic<int> released_{0};

private:
    std::vector<std::thread> threads_;
};

} // namespace

TEST(EventTest, SignalReleasesEveryWaiterUntilReset) {
    std::unique_ptr<Event> event(Event::GetNewEvent());
    ASSERT_TRUE(event && event->IsValid());
    event->SetDeadLockTimeOut(kPatienceMs);
    {
        Waiters waiters(3, [&] { return event->Wait(nullptr); });
        EXPECT_EQ(waiters.released_, 0);
        event->Signal();
        EXPECT_TRUE(EventuallyTrue([&] { return waiters.released_ == 3; }));
    }
    EXPECT_TRUE(event->Wait(0, nullptr));
    event->Reset();
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(event->Wait(50, nullptr));
    EXPECT_GE(MillisecondsSince(start), 40);
}

TEST(EventTest, GuardReleasesExactlyOneWaiterPerSignal) {
    std::unique_ptr<Guard> guard(Guard::GetNewGuard());
    ASSERT_TRUE(guard && guard->IsValid());
    guard->SetDeadLockTimeOut(kPatienceMs);
    {
        Waiters waiters(2, [&] { return guard->Wait(nullptr); });
        guard->Signal();
        EXPECT_TRUE(EventuallyTrue([&] { return waiters.released_ == 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(waiters.released_, 1);
        guard->Signal();
        EXPECT_TRUE(EventuallyTrue([&] { return waiters.released_ == 2; }));
    }
    // A signal nobody waits for lets the next single wait through.
    guard->Signal();
    EXPECT_TRUE(guard->Wait(0, nullptr));
    EXPECT_FALSE(guard->Wait(0, nullptr));
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
