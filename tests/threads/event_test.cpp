// Manual-reset events and auto-reset guards, with and without a thread.
#include "thread_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

// Starts `count` threads that each wait once, untimed, on `wait`.
class Waiters {
public:
    template <class Wait>
    Waiters(int count, Wait wait) {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this, wait] {
                ++started_;
                if (wait())
                    ++released_;
            });
        EventuallyTrue([this] { return started_ == static_cast<int>(threads_.size()); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let them block
    }
    ~Waiters() {
        for (std::thread& t : threads_)
            t.join();
    }
    int Released() const { return released_; }

private:
    std::atomic<int> started_{0};
    std::atomic<int> released_{0};
    std::vector<std::thread> threads_;
};

} // namespace

TEST(EventTest, SignalReleasesEveryWaiterUntilReset) {
    std::unique_ptr<Event> event(Event::GetNewEvent());
    ASSERT_TRUE(event && event->IsValid());
    event->SetDeadLockTimeOut(kPatienceMs);
    {
        Waiters waiters(3, [&] { return event->Wait(nullptr); });
        EXPECT_EQ(waiters.Released(), 0);
        event->Signal();
        EXPECT_TRUE(EventuallyTrue([&] { return waiters.Released() == 3; }));
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
        EXPECT_TRUE(EventuallyTrue([&] { return waiters.Released() == 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(waiters.Released(), 1);
        guard->Signal();
        EXPECT_TRUE(EventuallyTrue([&] { return waiters.Released() == 2; }));
    }
    // A signal nobody waits for lets the next single wait through.
    guard->Signal();
    EXPECT_TRUE(guard->Wait(0, nullptr));
    EXPECT_FALSE(guard->Wait(0, nullptr));
}

TEST(EventTest, DeadlockTimeoutOnBehalfOfAThreadDiffers) {
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    ASSERT_NE(thread, nullptr);
    std::unique_ptr<Event> event(Event::GetNewEvent());
    std::unique_ptr<Guard> guard(Guard::GetNewGuard());
    event->SetDeadLockTimeOut(20);
    guard->SetDeadLockTimeOut(20);

    Clock::time_point start = Clock::now();
    EXPECT_FALSE(guard->Wait(thread.get()));
    EXPECT_GE(MillisecondsSince(start), 15);
    EXPECT_THROW(event->Wait(thread.get()), ThreadTerminateException);
    // Without a thread both treat the deadlock timeout as a failure.
    EXPECT_THROW(event->Wait(nullptr), ThreadTerminateException);
    EXPECT_THROW(guard->Wait(nullptr), ThreadTerminateException);
    // A timed wait just reports the timeout.
    EXPECT_FALSE(event->Wait(10, thread.get()));
    EXPECT_FALSE(guard->Wait(10, thread.get()));
}

TEST(EventTest, WaitOnBehalfOfATerminatingThreadThrowsUnlessSignalled) {
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    ASSERT_NE(thread, nullptr);
    std::unique_ptr<Event> event(Event::GetNewEvent());
    std::unique_ptr<Guard> guard(Guard::GetNewGuard());
    thread->Terminate(true); // never started: only its terminate event is signalled

    Clock::time_point start = Clock::now();
    EXPECT_THROW(event->Wait(kPatienceMs, thread.get()), ThreadTerminateException);
    EXPECT_THROW(guard->Wait(thread.get()), ThreadTerminateException);
    EXPECT_LT(MillisecondsSince(start), 2000);

    event->Signal();
    guard->Signal();
    EXPECT_TRUE(event->Wait(kPatienceMs, thread.get()));
    EXPECT_TRUE(guard->Wait(thread.get()));
}
