// The event timer: timers post their names into a target thread's queue in
// the order they fall due; timings are checked with generous slack.
#include "thread_test_support.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

const char kInternalTimer[] = "ATimer-Internal-Timer";

// The target thread: records every event it receives, with its time.
class Recorder {
public:
    Recorder() : thread_(Thread::GetNewThread()) {
        thread_->SetThreadProc([](Thread* thread, void* data) -> unsigned int {
            Recorder& self = *static_cast<Recorder*>(data);
            for (PString name; thread->WaitForEvent(name);) {
                std::lock_guard<std::mutex> hold(self.lock_);
                self.names_.push_back(name);
                self.times_.push_back(MillisecondsSince(self.start_));
            }
            return 0;
        });
        thread_->SetThreadData(this);
        thread_->SetDeadlockTimeout(kPatienceMs);
        thread_->Execute();
    }
    ~Recorder() { thread_->Terminate(false); }
    Thread* thread() { return thread_.get(); }

    // The names received once `count` arrived (or the patience ran out) and
    // `quiet` ms more passed; their times go to `times`.
    std::vector<std::string> Names(size_t count, int quiet = 0,
                                   std::vector<long long>* times = nullptr) {
        EventuallyTrue([&] { return Names().size() >= count; });
        std::this_thread::sleep_for(std::chrono::milliseconds(quiet));
        std::lock_guard<std::mutex> hold(lock_);
        if (times != nullptr)
            *times = times_;
        return names_;
    }

private:
    std::vector<std::string> Names() {
        std::lock_guard<std::mutex> hold(lock_);
        return names_;
    }

    const Clock::time_point start_ = Clock::now();
    std::mutex lock_;
    std::vector<std::string> names_;
    std::vector<long long> times_;
    std::unique_ptr<Thread> thread_;
};

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
    const std::pair<float, long long> cases[] = {{1.0f, 300}, {0.5f, 150}};
    timer_.SetTargetThread(recorder_.thread());
    size_t seen = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("scaling " + std::to_string(c.first));
        timer_.SetScaling(c.first);
        timer_.ClearAllEvents();
        ASSERT_TRUE(timer_.AddTimer("tick", 300, 3, true));
        std::vector<long long> at;
        ASSERT_EQ(recorder_.Names(seen + 3, 0, &at).size(), seen + 3);
        for (size_t i = seen + 1; i < seen + 3; ++i) {
            EXPECT_GE(at[i] - at[i - 1], c.second * 7 / 10) << "firing " << i;
            EXPECT_LE(at[i] - at[i - 1], c.second * 2) << "firing " << i;
        }
        EXPECT_FALSE(timer_.RemoveTimer("tick")) << "a finished timer leaves the list";
        seen += 3;
    }
    // Nothing more comes: the built-in timer never posts.
    EXPECT_EQ(recorder_.Names(seen, 400), std::vector<std::string>(seen, "tick"));
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
    EXPECT_EQ(recorder_.Names(5, 300),
              (std::vector<std::string>{"first", "second", "twice", "last", "twice"}));
}

TEST_F(EventTimerTest, ATimerRemovedWhileDueFiresOnceMore) {
    ASSERT_TRUE(timer_.AddTimer("again", 400, -1, true));
    timer_.SetTargetThread(recorder_.thread());
    // The loop pauses for the taken timer; the list holds its re-armed copy.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(timer_.RemoveTimer("again"));
    EXPECT_FALSE(timer_.RemoveTimer("again"));
    EXPECT_EQ(recorder_.Names(1, 1200), std::vector<std::string>{"again"});
    // Re-armed under the same name, it runs again.
    ASSERT_TRUE(timer_.AddTimer("again", 100, 2, true));
    EXPECT_EQ(recorder_.Names(3).size(), 3u);
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
    EXPECT_EQ(recorder_.Names(1), std::vector<std::string>{"after"});
}

TEST_F(EventTimerTest, FiringsForAnEndedThreadAreLostAndTheTimerGoesOn) {
    std::unique_ptr<Recorder> gone(new Recorder);
    ASSERT_TRUE(timer_.AddTimer("lost", 50, -1, true));
    timer_.SetTargetThread(gone->thread());
    // The built-in timer is not needed while another keeps the loop turning.
    EXPECT_TRUE(timer_.RemoveTimer(kInternalTimer));
    gone->Names(1);
    gone->thread()->Terminate(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(timer_.RemoveTimer("lost")) << "the timer keeps running";
    // Ending the timer itself is prompt even in the middle of a pause.
    std::future<bool> ended =
        std::async(std::launch::async, [this] { return timer_.Terminate(false); });
    ASSERT_TRUE(Arrives(ended));
    EXPECT_TRUE(ended.get());
}
