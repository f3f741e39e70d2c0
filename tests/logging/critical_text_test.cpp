// The portable rules of the critical log: version text and which slots a
// reader still has to deliver.
#include "logging/critical_ring.h"
#include "logging/critical_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace REDudi;

namespace {

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

} // namespace
