// The thread facade: a derived Run() on its own thread.
#include "thread_test_support.h"

using namespace REDudi;
using namespace threads_test;

namespace {

// Takes events until "stop", then returns 5; or, with `spin`, ignores
// termination and never waits. `unwound` lives outside: members may be gone.
class Worker : public AThread {
public:
    Worker(std::atomic<bool>& unwound, bool spin) : unwound_(unwound), spin_(spin) {
        SetDeadlockTimeout(kPatienceMs);
    }
    ~Worker() override { Terminate(false); }

    std::promise<void> running;
    std::atomic<int> taken{0};

protected:
    unsigned int Run() override {
        std::atomic<bool>& unwound = unwound_;
        running.set_value();
        if (spin_) {
            while (!unwound.load()) {
            }
            return 0;
        }
        try {
            for (PString name; WaitForEvent(name); ++taken)
                if (name == "stop")
                    return 5;
        } catch (ThreadTerminateException&) {
            unwound = true;
            throw;
        }
        return 0;
    }

private:
    std::atomic<bool>& unwound_;
    const bool spin_;
};

} // namespace

TEST(AThreadTest, RunReceivesEventsAndItsResultIsTheReturnCode) {
    std::atomic<bool> unwound{false};
    Worker worker(unwound, false);
    ASSERT_TRUE(worker.IsValid());
    ASSERT_TRUE(worker.Execute());
    for (const char* name : {"a", "b", "stop"})
        EXPECT_TRUE(worker.SignalEvent(name));
    ASSERT_TRUE(EventuallyTrue([&] { return worker.HasTerminated(); }));
    EXPECT_EQ(worker.taken.load(), 2);
    EXPECT_EQ(worker.GetReturnCode(), 5u);
    EXPECT_FALSE(unwound);
}

// Destruction unwinds a Run blocked in WaitForEvent at once, and kills one
// that ignores termination after the deadlock timeout.
TEST(AThreadTest, DestructionUnwindsOrKillsTheRun) {
    for (bool spin : {false, true}) {
        SCOPED_TRACE(spin ? "spinning" : "waiting");
        std::atomic<bool> unwound{false};
        Worker* worker = new Worker(unwound, spin);
        worker->SetDeadlockTimeout(spin ? 100 : kPatienceMs);
        std::future<void> running = worker->running.get_future();
        ASSERT_TRUE(worker->Execute());
        ASSERT_TRUE(Arrives(running));
        Clock::time_point start = Clock::now();
        delete worker;
        long long elapsed = MillisecondsSince(start);
        EXPECT_TRUE(spin || unwound);
        unwound = true;
        EXPECT_GE(elapsed, spin ? 80 : 0);
        EXPECT_LT(elapsed, 5000);
    }
}
