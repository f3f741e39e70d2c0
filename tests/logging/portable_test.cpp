// The portable parts of the trace log: the ring window a reader takes, and
// the facades where there is no log.
#include <REDudi/logging.h>

#include "logging/ring_window.h"

#include <gtest/gtest.h>

#include <string>

using namespace REDudi;

namespace {

TEST(RingWindowTest, Table) {
    const struct {
        const char* name;
        std::uint32_t count, next, capacity, seen;
        std::uint32_t length, first, lastSlot;
    } rows[] = {
        {"unwrapped, all unseen", 10, 10, 199, 0, 10, 0, 9},
        {"unwrapped, some seen", 10, 10, 199, 4, 6, 4, 9},
        {"nothing new", 10, 10, 199, 10, 0, 10, 0},
        {"exactly one ring", 199, 0, 199, 0, 199, 0, 198},
        {"one beyond a ring", 200, 1, 199, 0, 199, 1, 0},
        {"overwritten skipped", 500, 102, 199, 0, 199, 102, 101},
        {"wraps below slot 0", 205, 6, 199, 195, 10, 195, 5},
        {"count wraps", 3, 50, 199, 0xFFFFFFFEu, 5, 45, 49},
        {"no ring", 10, 10, 0, 0, 0, 0, 0},
        {"capacity beyond the region", 5000, 7, 100000, 0, 200, 7, 6},
        {"next beyond the ring", 3, 500, 199, 0, 3, 99, 101},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        logring::Window window =
            logring::UnseenRecords(row.count, row.next, row.capacity, row.seen);
        EXPECT_EQ(row.length, window.length);
        EXPECT_EQ(row.first, window.first);
        if (window.length > 0) {
            EXPECT_EQ(row.lastSlot, logring::SlotOf(window, window.length - 1));
        }
    }
}

#ifndef _WIN32
TEST(TraceFacadeWithoutLogTest, EverythingIsAQuietNoOp) {
    ALogger logger;
    EXPECT_FALSE(logger.IsValid());
    logger.Trace("%s", "dropped");
    EXPECT_FALSE(ADefaultLogger().IsValid());
    ClassTrace("Sub", 1u, "%d", 2);
}
#endif

} // namespace
