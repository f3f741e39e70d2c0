// The event timer: timers post their names into a target thread's queue in
// the order they fall due. Timings are checked with generous slack; the
// order and the number of events are what matters.
#include "thread_test_support.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

const char kInternalTimer[] = "ATimer-Internal-Timer";

struct Arrival {
    std::string name;
    long long at; // ms since the recorder was made
};

// The target thread: records every event it receives, with its time.
class Recorder {
public:
    Recorder() : start_(Clock::now()), thread_(Thread::GetNewThread()) {
        thread_->SetThreadProc(&Recorder::Receive);
        thread_->SetThreadData(this);
        thread_->SetDeadlockTimeout(kPatienceMs);
        thread_->Execute();
    }
    ~Recorder() { thread_->Terminate(false); }

    Thread* thread() { return thread_.get(); }

    // Waits until `count` events arrived (or the patience ran out); a copy.
    std::vector<Arrival> AwaitCount(size_t count) {
        std::unique_lock<std::mutex> hold(lock_);
        arrived_.wait_for(hold, kPatience, [&] { return arrivals_.size() >= count; });
        return arrivals_;
    }

    std::vector<Arrival> After(std::chrono::milliseconds quiet) {
        std::this_thread::sleep_for(quiet);
        std::lock_guard<std::mutex> hold(lock_);
        return arrivals_;
    }

private:
    static unsigned int Receive(Thread* thread, void* data) {
        Recorder& self = *static_cast<Recorder*>(data);
        PString name;
        while (thread->WaitForEvent(name)) {
            std::lock_guard<std::mutex> hold(self.lock_);
            self.arrivals_.push_back({name, MillisecondsSince(self.start_)});
            self.arrived_.notify_all();
        }
        return 0;
    }

    Clock::time_point start_;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Arrival> arrivals_;
    std::unique_ptr<Thread> thread_;
};

std::vector<std::string> NamesOf(const std::vector<Arrival>& arrivals) {
    std::vector<std::string> names;
    for (const Arrival& a : arrivals)
        names.push_back(a.name);
    return names;
}

class EventTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(timer_.IsValid());
        timer_.SetDeadlockTimeout(kPatienceMs);
    }

    Recorder recorder_;
    AEventTimer timer_;
};

} // namespace

TEST_F(EventTimerTest, ARepeatedTimerFiresItsCountAtItsScaledInterval) {
    struct Case {
        float scaling;
        long long gap;
    } cases[] = {{1.0f, 300}, {0.5f, 150}};
    timer_.SetTargetThread(recorder_.thread());
    size_t seen = 0;
    for (const Case& c : cases) {
        timer_.SetScaling(c.scaling);
        timer_.ClearAllEvents();
        ASSERT_TRUE(timer_.AddTimer("tick", 300, 3, true));
        std::vector<Arrival> got = recorder_.AwaitCount(seen + 3);
        ASSERT_EQ(got.size(), seen + 3) << "scaling " << c.scaling;
        for (size_t i = seen + 1; i < seen + 3; ++i) {
            long long gap = got[i].at - got[i - 1].at;
            EXPECT_GE(gap, c.gap * 7 / 10) << "scaling " << c.scaling << ", firing " << i;
            EXPECT_LE(gap, c.gap * 2) << "scaling " << c.scaling << ", firing " << i;
        }
        EXPECT_FALSE(timer_.RemoveTimer("tick")) << "a finished timer leaves the list";
        seen += 3;
    }
    EXPECT_EQ(recorder_.After(std::chrono::milliseconds(400)).size(), seen);
    EXPECT_EQ(NamesOf(recorder_.After(std::chrono::milliseconds(0))),
              std::vector<std::string>(seen, "tick"))
        << "the built-in timer never posts";
}

TEST_F(EventTimerTest, TimersFireInOrderOfDueTimeThenOfAdding) {
    // Added before the thread starts, so that all are counted from one moment:
    // due at 200, 200, 300, 400 and 600 ms.
    ASSERT_TRUE(timer_.AddTimer("twice", 300, 2, true));
    ASSERT_TRUE(timer_.AddTimer("last", 400, 1, true));
    ASSERT_TRUE(timer_.AddTimer("first", 200, 1, true));
    ASSERT_TRUE(timer_.AddTimer("second", 200, 1, true));
    ASSERT_TRUE(timer_.AddTimer("silent", 100, 1, false));
    ASSERT_TRUE(timer_.AddTimer("never", 100, 0, true));
    EXPECT_FALSE(timer_.RemoveTimer("never")) << "repeat 0 adds nothing";
    timer_.SetTargetThread(recorder_.thread());
    recorder_.AwaitCount(5);
    EXPECT_EQ(NamesOf(recorder_.After(std::chrono::milliseconds(300))),
              (std::vector<std::string>{"first", "second", "twice", "last", "twice"}));
}

TEST_F(EventTimerTest, ATimerRemovedWhileDueFiresOnceMore) {
    ASSERT_TRUE(timer_.AddTimer("again", 400, -1, true));
    timer_.SetTargetThread(recorder_.thread());
    // The loop has taken the timer and pauses for it; the list holds its
    // re-armed copy.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(timer_.RemoveTimer("again"));
    EXPECT_FALSE(timer_.RemoveTimer("again"));
    EXPECT_EQ(NamesOf(recorder_.After(std::chrono::milliseconds(1200))),
              std::vector<std::string>{"again"});
    // Re-armed under the same name, it runs again.
    ASSERT_TRUE(timer_.AddTimer("again", 100, 2, true));
    EXPECT_EQ(recorder_.AwaitCount(3).size(), 3u);
}

TEST_F(EventTimerTest, ClearingLeavesExactlyTheBuiltInTimer) {
    timer_.SetScaling(0.1f);
    timer_.SetTargetThread(recorder_.thread());
    ASSERT_TRUE(timer_.AddTimer("a", 5000, -1, true));
    ASSERT_TRUE(timer_.AddTimer("b", 5000, -1, true));
    timer_.ClearAllEvents();
    EXPECT_FALSE(timer_.RemoveTimer("a"));
    EXPECT_FALSE(timer_.RemoveTimer("b"));
    EXPECT_TRUE(timer_.RemoveTimer(kInternalTimer));
    EXPECT_FALSE(timer_.RemoveTimer(kInternalTimer));
    // With no timer at all the loop idles, and picks up the next one.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_TRUE(timer_.AddTimer("after", 100, 1, true));
    EXPECT_EQ(NamesOf(recorder_.AwaitCount(1)), std::vector<std::string>{"after"});
}

TEST_F(EventTimerTest, FiringsForAnEndedThreadAreLostAndTheTimerGoesOn) {
    std::unique_ptr<Recorder> gone(new Recorder);
    ASSERT_TRUE(timer_.AddTimer("lost", 50, -1, true));
    timer_.SetTargetThread(gone->thread());
    // The built-in timer is not needed while another keeps the loop turning.
    EXPECT_TRUE(timer_.RemoveTimer(kInternalTimer));
    gone->AwaitCount(1);
    gone->thread()->Terminate(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(timer_.RemoveTimer("lost")) << "the timer keeps running";
    // Ending the timer itself is prompt even in the middle of a pause.
    std::future<bool> ended =
        std::async(std::launch::async, [this] { return timer_.Terminate(false); });
    ASSERT_TRUE(Arrives(ended));
    EXPECT_TRUE(ended.get());
}
