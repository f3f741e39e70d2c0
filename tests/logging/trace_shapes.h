// Checks, for any writer-shaped object, that each of the eight trace shapes
// takes its subclass, level and flags from its arguments or from the
// defaults as it should.
#pragma once

#include "log_region.h"

#include <gtest/gtest.h>

#include <string>

namespace REDudi {
namespace testing_support {

template <class Writer> void CheckTraceShapes(Writer& writer, const LogRegion& region) {
    writer.SetClass(PString("Shapes"));
    writer.SetDefaultSubClass(PString("Default"));
    writer.SetDefaultLevel(7);
    writer.SetDefaultFlags(0x70u);

    RegionLock lock(region);
    ASSERT_TRUE(lock.Held());
    const unsigned char level = 3;
    const unsigned int flags = 0x30u;
    struct Expected {
        const char* subClass;
        unsigned level;
        unsigned flags;
    };
    auto check = [&](int shape, Expected expected) {
        const ALogEntry& entry = region.Last();
        SCOPED_TRACE("shape " + std::to_string(shape));
        EXPECT_STREQ("Shapes", entry.className);
        EXPECT_STREQ(expected.subClass, entry.subClass);
        EXPECT_EQ(expected.level, entry.level);
        EXPECT_EQ(expected.flags, entry.flags);
        EXPECT_EQ("shape " + std::to_string(shape), std::string(entry.message));
    };
    writer.Trace(level, flags, "shape %d", 1);
    check(1, {"Default", 3, 0x30});
    writer.Trace(level, "shape %d", 2);
    check(2, {"Default", 3, 0x70});
    writer.Trace(flags, "shape %d", 3);
    check(3, {"Default", 7, 0x30});
    writer.Trace("shape %d", 4);
    check(4, {"Default", 7, 0x70});
    writer.ClassTrace("Arg", "shape %d", 5);
    check(5, {"Arg", 7, 0x70});
    writer.ClassTrace("Arg", level, flags, "shape %d", 6);
    check(6, {"Arg", 3, 0x30});
    writer.ClassTrace("Arg", level, "shape %d", 7);
    check(7, {"Arg", 3, 0x70});
    writer.ClassTrace("Arg", flags, "shape %d", 8);
    check(8, {"Arg", 7, 0x30});
}

} // namespace testing_support
} // namespace REDudi
