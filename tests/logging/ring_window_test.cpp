#include "logging/ring_window.h"

#include <gtest/gtest.h>

using REDudi::logring::SlotOf;
using REDudi::logring::UnseenRecords;
using REDudi::logring::Window;

namespace {

TEST(RingWindowTest, UnwrappedRingStartsAtSlotZero) {
    Window window = UnseenRecords(10, 10, 199, 0);
    EXPECT_EQ(0u, window.first);
    EXPECT_EQ(10u, window.length);
    window = UnseenRecords(10, 10, 199, 4);
    EXPECT_EQ(4u, window.first);
    EXPECT_EQ(6u, window.length);
    EXPECT_EQ(0u, UnseenRecords(10, 10, 199, 10).length);
}

TEST(RingWindowTest, OverwrittenRecordsAreSkippedFromSlotNext) {
    // 500 records: next is 500 mod 199 = 102, the oldest survivor is there.
    Window window = UnseenRecords(500, 102, 199, 0);
    EXPECT_EQ(199u, window.length);
    EXPECT_EQ(102u, window.first);
    EXPECT_EQ(102u, SlotOf(window, 0));
    EXPECT_EQ(198u, SlotOf(window, 96));
    EXPECT_EQ(0u, SlotOf(window, 97));
    EXPECT_EQ(101u, SlotOf(window, 198));
}

TEST(RingWindowTest, WindowWrapsBelowSlotZero) {
    Window window = UnseenRecords(205, 6, 199, 195);
    EXPECT_EQ(10u, window.length);
    EXPECT_EQ(195u, window.first);
    EXPECT_EQ(198u, SlotOf(window, 3));
    EXPECT_EQ(0u, SlotOf(window, 4));
}

TEST(RingWindowTest, CountWrapsAround) {
    Window window = UnseenRecords(3, 50, 199, 0xFFFFFFFEu);
    EXPECT_EQ(5u, window.length);
    EXPECT_EQ(45u, window.first);
}

TEST(RingWindowTest, ImplausibleHeadersStayInsideTheRegion) {
    EXPECT_EQ(0u, UnseenRecords(10, 10, 0, 0).length);
    Window big = UnseenRecords(5000, 7, 100000, 0);
    EXPECT_EQ(200u, big.length);
    EXPECT_LT(SlotOf(big, 199), 200u);
    Window badNext = UnseenRecords(3, 500, 199, 0);
    EXPECT_LT(SlotOf(badNext, 2), 199u);
}

} // namespace
