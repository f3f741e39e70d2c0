// The event timer posting into a thread's queue; timings have generous slack.
#include "thread_test_support.h"

#include <string>
#include <vector>

using namespace REDudi;
using namespace threads_test;

const char kInternalTimer[] = "ATimer-Internal-Timer";

class EventTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(timer_.IsValid() && recorder_.Start());
        timer_.SetDeadlockTimeout(kPatienceMs);
    }

    Worker recorder_;
    AEventTimer timer_;
};

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
    // Added before the thread starts: due at 200, 200, 300, 400 and 600 ms.
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

// A timer removed while due fires once more; with no timer the loop idles.
TEST_F(EventTimerTest, RemovedAndClearedTimers) {
    ASSERT_TRUE(timer_.AddTimer("again", 400, -1, true));
    timer_.SetTargetThread(recorder_.thread());
    // The loop pauses for the taken timer; the list holds its re-armed copy.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(timer_.RemoveTimer("again"));
    EXPECT_FALSE(timer_.RemoveTimer("again"));
    EXPECT_EQ(recorder_.Names(1, 1200), std::vector<std::string>{"again"});
    ASSERT_TRUE(timer_.AddTimer("a", 5000, -1, true));
    timer_.ClearAllEvents();
    EXPECT_FALSE(timer_.RemoveTimer("a"));
    EXPECT_TRUE(timer_.RemoveTimer(kInternalTimer));
    EXPECT_FALSE(timer_.RemoveTimer(kInternalTimer));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_TRUE(timer_.AddTimer("again", 100, 2, true));
    EXPECT_EQ(recorder_.Names(3), std::vector<std::string>(3, "again"));
}

TEST_F(EventTimerTest, FiringsForAnEndedThreadAreLostAndTheTimerGoesOn) {
    ASSERT_TRUE(timer_.AddTimer("lost", 50, -1, true));
    timer_.SetTargetThread(recorder_.thread());
    // The built-in timer is not needed while another keeps the loop turning.
    EXPECT_TRUE(timer_.RemoveTimer(kInternalTimer));
    recorder_.Names(1);
    recorder_.Terminate(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(timer_.RemoveTimer("lost")) << "the timer keeps running";
    // Ending the timer itself is prompt even in the middle of a pause.
    OnOtherThread([this] { EXPECT_TRUE(timer_.Terminate(false)); });
}
