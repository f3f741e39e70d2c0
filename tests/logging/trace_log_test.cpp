// The writer and the shared region it fills.
#include <REDudi/logging.h>

#include "log_region.h"
#include "trace_shapes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

using namespace REDudi;
using namespace REDudi::testing_support;

namespace {

bool IsZero(const ALogEntry& entry) {
    static const ALogEntry zero = {};
    return std::memcmp(&entry, &zero, sizeof entry) == 0;
}

class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, logger_);
        ASSERT_TRUE(logger_->IsValid());
        ASSERT_TRUE(region_.IsOpen());
    }

    std::unique_ptr<Logger> logger_{Logger::GetNewLogger()};
    LogRegion region_;
};

TEST_F(TraceLogTest, HeaderDescribesTheRing) {
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    const WIN32_LogMap& map = region_.Map();
    EXPECT_EQ(143216u, map.size);
    EXPECT_EQ(199u, map.capacity);
    // The region starts at next 0, count 0 and both advance together.
    EXPECT_EQ(map.count % 199u, map.next);
    EXPECT_TRUE(IsZero(map.records[199]));
}

TEST_F(TraceLogTest, RingWrapsAfter199RecordsAndNeverUsesTheLastSlot) {
    ExclusiveTest exclusive;
    ASSERT_TRUE(exclusive.Held());
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    const WIN32_LogMap& map = region_.Map();
    while (map.next != 0)
        logger_->Trace("filling up to the ring's start");
    const std::uint32_t count = map.count;
    const std::string tag = UniqueName("ring");
    for (int i = 1; i <= 200; ++i)
        logger_->Trace("%s %d", tag.c_str(), i);

    EXPECT_EQ(tag + " 199", map.records[198].message);
    EXPECT_EQ(tag + " 200", map.records[0].message);
    EXPECT_EQ(tag + " 2", map.records[1].message);
    EXPECT_EQ(1u, map.next);
    EXPECT_EQ(count + 200u, map.count);
    EXPECT_TRUE(IsZero(map.records[199]));
}

TEST_F(TraceLogTest, RecordCarriesDefaultsIdentityAndTime) {
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
    logger_->Trace("only a %s", "format");
    const std::uint32_t after = static_cast<std::uint32_t>(std::time(nullptr));

    const ALogEntry& entry = region_.Last();
    EXPECT_STREQ("GENERAL", entry.className);
    EXPECT_STREQ("GENERAL", entry.subClass);
    EXPECT_EQ(0u, entry.level);
    EXPECT_EQ(0u, entry.flags);
    EXPECT_STREQ("only a format", entry.message);
    EXPECT_EQ(IdText(GetCurrentProcessId()), entry.process);
    EXPECT_EQ(IdText(GetCurrentThreadId()), entry.thread);
    EXPECT_LE(before, entry.time);
    EXPECT_GE(after, entry.time);
    EXPECT_EQ(0, entry.reserved[0] | entry.reserved[1] | entry.reserved[2]);

    logger_->SetClass(PString("Thread"));
    logger_->ClassTrace("Execute", static_cast<unsigned char>(3), "started");
    EXPECT_STREQ("Thread", region_.Last().className);
    EXPECT_STREQ("Execute", region_.Last().subClass);
    EXPECT_EQ(3u, region_.Last().level);
    EXPECT_EQ(0u, region_.Last().flags);
}

// Leaves a pattern where the writer's next frame will be.
__attribute__((noinline)) void DirtyStack() {
    volatile char dirt[8192];
    for (char& c : const_cast<char(&)[8192]>(dirt))
        c = '\xAA';
}

// Every byte that is not text is zero, seen through the raw region.
TEST_F(TraceLogTest, BytesBehindTheTextsAreZero) {
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    for (const char* text : {"", "x", "a somewhat longer message"}) {
        DirtyStack();
        logger_->ClassTrace("S", "%s", text);
        const ALogEntry& entry = region_.Last();
        const struct {
            const char* field;
            std::size_t size;
        } fields[] = {{entry.className, sizeof entry.className},
                      {entry.subClass, sizeof entry.subClass},
                      {entry.process, sizeof entry.process},
                      {entry.thread, sizeof entry.thread},
                      {entry.message, sizeof entry.message},
                      {entry.reserved, sizeof entry.reserved}};
        for (const auto& f : fields) {
            const std::size_t end = f.field == entry.reserved ? 0 : std::strlen(f.field);
            for (std::size_t i = end; i < f.size; ++i)
                ASSERT_EQ(0, f.field[i]) << "text '" << text << "', field at offset "
                                         << (f.field - reinterpret_cast<const char*>(&entry))
                                         << ", byte " << i;
        }
    }
}

// A call that waits for another holder into the next second is stamped with
// the second it wrote in, not the one it began waiting in.
TEST_F(TraceLogTest, TimeIsTakenOnceTheMutexIsHeld) {
    const std::time_t tick = std::time(nullptr);
    while (std::time(nullptr) == tick)
        Sleep(5);
    Sleep(400);
    const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        WaitForSingleObject(region_.Mutex(), 5000);
        SetEvent(held);
        while (static_cast<std::uint32_t>(std::time(nullptr)) == before)
            Sleep(5);
        Sleep(50);
        ReleaseMutex(region_.Mutex());
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 5000));
    const std::string tag = UniqueName("late");
    logger_->Trace("%s", tag.c_str());
    holder.join();
    CloseHandle(held);
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    for (unsigned back = 0; back < 199; ++back)
        if (tag == region_.Last(back).message) {
            EXPECT_LT(before, region_.Last(back).time);
            return;
        }
    FAIL() << "record not found";
}

TEST_F(TraceLogTest, EachShapeTakesArgumentsOrDefaults) {
    CheckTraceShapes(*logger_, region_);
}

TEST_F(TraceLogTest, LongTextsAreCutAndTerminated) {
    logger_->SetClass(PString(std::string(100, 'c')));
    const std::string subClass(100, 's');
    const std::string message(600, 'm');
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    logger_->ClassTrace(subClass.c_str(), "%s", message.c_str());

    const ALogEntry& entry = region_.Last();
    EXPECT_EQ(std::string(63, 'c'), entry.className);
    EXPECT_EQ(std::string(63, 's'), entry.subClass);
    EXPECT_EQ(std::string(511, 'm'), entry.message);
}

TEST_F(TraceLogTest, DamagedHeaderIsWrittenWithinTheRing) {
    ExclusiveTest exclusive;
    ASSERT_TRUE(exclusive.Held());
    RegionLock lock(region_);
    ASSERT_TRUE(lock.Held());
    WIN32_LogMap& map = region_.Writable();
    const std::uint32_t next = map.next;
    map.capacity = 0;
    logger_->Trace("capacity zero");
    map.capacity = 199;
    EXPECT_STREQ("capacity zero", map.records[next].message);
    EXPECT_EQ((next + 1) % 199, map.next);

    map.next = 250; // beyond the region's slots
    logger_->Trace("next out of range");
    EXPECT_STREQ("next out of range", map.records[0].message);
    EXPECT_EQ(1u, map.next);
    EXPECT_TRUE(IsZero(map.records[199]));
    map.next = map.count % 199; // back in step, as every other reader expects
}

} // namespace
