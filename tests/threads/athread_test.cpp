// The thread facade: a derived Run() on its own thread.
#include "thread_test_support.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace REDudi;
using namespace threads_test;

namespace {

// Takes events until "stop", then returns 5.
class Worker : public AThread {
public:
    explicit Worker(std::atomic<bool>& unwound) : unwound_(unwound) {
        SetDeadlockTimeout(kPatienceMs);
    }
    ~Worker() override { Terminate(false); }

    std::promise<void> waiting;
    std::atomic<int> taken{0};

protected:
    unsigned int Run() override {
        std::atomic<bool>& unwound = unwound_;
        waiting.set_value();
        try {
            PString name;
            while (WaitForEvent(name)) {
                if (name == "stop")
                    return 5;
                ++taken;
            }
        } catch (ThreadTerminateException&) {
            unwound = true; // members may be gone: touch only the outside
            throw;
        }
        return 0;
    }

private:
    std::atomic<bool>& unwound_;
};

// Ignores termination and never waits.
class Spinner : public AThread {
public:
    explicit Spinner(std::atomic<bool>& stop) : stop_(stop) {}
    std::promise<void> running;

protected:
    unsigned int Run() override {
        std::atomic<bool>& stop = stop_;
        running.set_value();
        while (!stop.load()) {
        }
        return 0;
    }

private:
    std::atomic<bool>& stop_;
};

class Once : public AThread {
protected:
    unsigned int Run() override { return 3; }
};

} // namespace

TEST(AThreadTest, RunReceivesEventsAndItsResultIsTheReturnCode) {
    std::atomic<bool> unwound{false};
    Worker worker(unwound);
    ASSERT_TRUE(worker.IsValid());
    ASSERT_TRUE(worker.Execute());
    EXPECT_TRUE(worker.SignalEvent("a"));
    EXPECT_TRUE(worker.SignalEvent("b"));
    EXPECT_TRUE(worker.SignalEvent("stop"));
    ASSERT_TRUE(EventuallyTrue([&] { return worker.HasTerminated(); }));
    EXPECT_EQ(worker.taken.load(), 2);
    EXPECT_EQ(worker.GetReturnCode(), 5u);
    EXPECT_FALSE(unwound);

    Once once;
    ASSERT_TRUE(once.Execute());
    ASSERT_TRUE(EventuallyTrue([&] { return once.HasTerminated(); }));
    EXPECT_EQ(once.GetReturnCode(), 3u);
}

TEST(AThreadTest, DestructionUnwindsARunBlockedInWaitForEvent) {
    std::atomic<bool> unwound{false};
    Worker* worker = new Worker(unwound);
    std::future<void> waiting = worker->waiting.get_future();
    ASSERT_TRUE(worker->Execute());
    ASSERT_TRUE(Arrives(waiting));
    Clock::time_point start = Clock::now();
    delete worker;
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_TRUE(unwound);
}

TEST(AThreadTest, DestructionKillsARunThatIgnoresTerminationAfterTheDeadlockTimeout) {
    std::atomic<bool> stop{false};
    Spinner* spinner = new Spinner(stop);
    spinner->SetDeadlockTimeout(100);
    std::future<void> running = spinner->running.get_future();
    ASSERT_TRUE(spinner->Execute());
    ASSERT_TRUE(Arrives(running));
    Clock::time_point start = Clock::now();
    delete spinner;
    long long elapsed = MillisecondsSince(start);
    stop = true;
    EXPECT_GE(elapsed, 80);
    EXPECT_LT(elapsed, 5000);
}
