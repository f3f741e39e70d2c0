// The portable parts of the logs: the ring windows a reader takes, the
// critical records' version text, and the facades where there is no log.
#include <REDudi/logging.h>

#include "logging/critical_ring.h"
#include "logging/critical_text.h"
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

TEST(CriticalVersionText, FollowsTheRecordRules) {
    const struct {
        bool found;
        const char *raw, *want;
    } rows[] = {
        {true, "5, 1, 0, 12", "5.1.0.12"},
        {true, "5.1.2600.0", "5.1.2600.0"},
        {true, "123456789012345", "123456789012345"},
        {true, "1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6", "123456789012345"},
        {true, "   ", "UNKNOWN"},
        {false, "5, 1, 0, 12", "UNKNOWN"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.want, CriticalVersionText(r.found, PString(r.raw))) << r.raw << " " << r.found;
}

// What a reader has not seen starts at the oldest record still present, and
// a record stays present until the ring comes round; capacity 0 means 400.
TEST(CriticalRing, WindowAndPresence) {
    const struct {
        std::uint32_t count, next, capacity, seen, first, length;
    } windows[] = {
        {0, 0, 400, 0, 0, 0},     {10, 10, 400, 4, 4, 6},          {400, 0, 400, 0, 0, 400},
        {401, 1, 400, 0, 1, 400}, {399, 0, 399, 0, 0, 399},        {400, 1, 399, 0, 1, 399},
        {3, 3, 0, 0, 0, 3},       {2, 1, 400, 0xFFFFFFFF, 398, 3},
    };
    for (const auto& r : windows) {
        SCOPED_TRACE(std::to_string(r.count) + "/" + std::to_string(r.seen) + "/" +
                     std::to_string(r.capacity));
        const critring::Window w = critring::UnseenRecords(r.count, r.next, r.capacity, r.seen);
        EXPECT_EQ(r.first, w.first);
        EXPECT_EQ(r.length, w.length);
    }
    const struct {
        std::uint32_t count, sequence, capacity;
        bool present;
    } records[] = {{400, 0, 400, true},
                   {401, 0, 400, false},
                   {400, 0, 399, false},
                   {399, 0, 399, true},
                   {5, 0xFFFFFFFE, 400, true}};
    for (const auto& r : records)
        EXPECT_EQ(r.present, critring::StillPresent(r.count, r.sequence, r.capacity))
            << r.count << "/" << r.sequence << "/" << r.capacity;
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
