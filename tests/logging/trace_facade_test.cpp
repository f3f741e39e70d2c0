// The facades and the free functions over the process-wide default writer.
#include <REDudi/logging.h>

#include "log_region.h"
#include "trace_shapes.h"

#include <gtest/gtest.h>

#include <string>

using namespace REDudi;
using namespace REDudi::testing_support;

namespace {

// The free functions in the shape of a writer, for the shared checks.
struct FreeFunctions {
    template <class... A>
    void Trace(A... arguments) {
        REDudi::Trace(arguments...);
    }
    template <class... A>
    void ClassTrace(A... arguments) {
        REDudi::ClassTrace(arguments...);
    }
    void SetClass(PString name) { REDudi::SetClass(name); }
    void SetDefaultSubClass(PString name) { REDudi::SetDefaultSubClass(name); }
    void SetDefaultLevel(unsigned char level) { REDudi::SetDefaultLevel(level); }
    void SetDefaultFlags(unsigned int flags) { REDudi::SetDefaultFlags(flags); }
};

// Puts the process-wide default back as the library sets it up.
class FreeFunctionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(region_.IsOpen()); }
    void TearDown() override {
        SetClass(PString("DEBUG"));
        SetDefaultSubClass(PString("DEBUG"));
        SetDefaultLevel(0);
        SetDefaultFlags(0);
    }
    LogRegion region_;
};

// The default writer starts as "DEBUG"; setters persist between calls.
TEST_F(FreeFunctionTest, DefaultsThenSettersPersist) {
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    Trace("plain %d", 1);
    EXPECT_STREQ("DEBUG", region_.Last().className);
    EXPECT_STREQ("DEBUG", region_.Last().subClass);
    EXPECT_EQ(0u, region_.Last().level);
    EXPECT_EQ(0u, region_.Last().flags);
    EXPECT_STREQ("plain 1", region_.Last().message);
    SetClass(PString("Service"));
    SetDefaultLevel(2);
    Trace("first");
    Trace("second");
    EXPECT_STREQ("Service", region_.Last().className);
    EXPECT_STREQ("DEBUG", region_.Last().subClass);
    EXPECT_EQ(2u, region_.Last().level);
    EXPECT_STREQ("first", region_.Last(1).message);
}

TEST_F(FreeFunctionTest, EachShapeTakesArgumentsOrDefaults) {
    FreeFunctions functions;
    CheckTraceShapes(functions, region_);
}

TEST_F(FreeFunctionTest, PercentSignsOfTheFinishedTextAreKept) {
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    Trace("%s", "100% sure, %d %s %n");
    EXPECT_STREQ("100% sure, %d %s %n", region_.Last().message);
    Trace("%d%% done", 50);
    EXPECT_STREQ("50% done", region_.Last().message);
    ClassTrace("Sub", static_cast<unsigned char>(1), 2u, "%s", "%x%%");
    EXPECT_STREQ("%x%%", region_.Last().message);
}

using FacadeTest = FreeFunctionTest;

TEST_F(FacadeTest, EachShapeTakesArgumentsOrDefaults) {
    ALogger logger;
    ASSERT_TRUE(logger.IsValid());
    CheckTraceShapes(logger, region_);
}

TEST_F(FacadeTest, CopiesShareOneWriterThatOutlivesThem) {
    ALogger original;
    ASSERT_TRUE(original.IsValid());
    {
        ALogger copy(original);
        copy.SetClass(PString("Shared"));
        ALogger assigned;
        assigned = copy;
        assigned = assigned;
        EXPECT_TRUE(assigned.IsValid());
    }
    ASSERT_TRUE(original.IsValid());
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    original.Trace("after the copies");
    EXPECT_STREQ("Shared", region_.Last().className);
    EXPECT_STREQ("after the copies", region_.Last().message);
}

} // namespace
