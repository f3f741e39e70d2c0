// Writers in several processes sharing the one ring.
#include <REDudi/logging.h>

#include "log_region.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using namespace REDudi;
using namespace REDudi::testing_support;

namespace {

constexpr int kRecordsPerWriter = 80;

struct Event {
    explicit Event(const std::string& eventName)
        : name(eventName), handle(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str())) {}
    ~Event() { CloseHandle(handle); }
    std::string name;
    HANDLE handle;
};

// One writer process: its class, filler letter and how far its records got.
struct Writer {
    std::string className;
    char filler;
    std::unique_ptr<HelperProcess> process;
    int nextIndex = 0;
};

// Checks one record against the writer whose class it carries: a record
// mixed from two writers would mismatch in its process or its filler.
void CheckRecord(const ALogEntry& entry, Writer& writer) {
    char className[64];
    unsigned long pid = 0;
    int index = -1;
    char filler[512];
    ASSERT_EQ(4, std::sscanf(entry.message, "%63s %lu %d %511s", className, &pid, &index, filler))
        << entry.message;
    EXPECT_EQ(writer.className, className);
    EXPECT_EQ(writer.process->Id(), pid);
    EXPECT_EQ(IdText(writer.process->Id()), entry.process);
    EXPECT_EQ(std::string(400, writer.filler), filler);
    EXPECT_EQ(writer.nextIndex, index) << "records of one writer out of order or lost";
    ++writer.nextIndex;
}

// Runs two writers at once; false when foreign traffic pushed part of their
// records out of the ring, so that the run says nothing.
bool RunTwoWriters(const LogRegion& region) {
    const std::string tag = UniqueName("pair");
    Event start(tag + "-start");
    Event ready0(tag + "-ready0");
    Event ready1(tag + "-ready1");
    Writer writers[2] = {{tag + "-A", 'A', nullptr}, {tag + "-B", 'B', nullptr}};
    Event* ready[2] = {&ready0, &ready1};
    for (int i = 0; i < 2; ++i) {
        writers[i].process = std::make_unique<HelperProcess>(
            "write " + writers[i].className + " " + std::to_string(kRecordsPerWriter) + " " +
            writers[i].filler + " " + ready[i]->name + " " + start.name);
        EXPECT_TRUE(writers[i].process->Started());
    }
    HANDLE readyHandles[2] = {ready0.handle, ready1.handle};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, readyHandles, TRUE, 30000));

    std::uint32_t countBefore = 0;
    {
        RegionLock lock(region);
        EXPECT_TRUE(lock.Held());
        countBefore = region.Map().count;
    }
    SetEvent(start.handle);
    for (Writer& writer : writers)
        EXPECT_EQ(0u, writer.process->Wait(60000));

    RegionLock lock(region);
    EXPECT_TRUE(lock.Held());
    const std::uint32_t growth = region.Map().count - countBefore;
    if (growth > region.Map().capacity)
        return false;
    EXPECT_GE(growth, 2u * kRecordsPerWriter);
    for (std::uint32_t back = growth; back-- > 0;) {
        const ALogEntry& entry = region.Last(back);
        for (Writer& writer : writers)
            if (writer.className == entry.className)
                CheckRecord(entry, writer);
    }
    // Every record of both writers is in the window the count grew by.
    EXPECT_EQ(kRecordsPerWriter, writers[0].nextIndex);
    EXPECT_EQ(kRecordsPerWriter, writers[1].nextIndex);
    return true;
}

class CrossProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(exclusive_.Held());
        ASSERT_TRUE(region_.IsOpen());
        ASSERT_NE(nullptr, logger_);
        ASSERT_TRUE(logger_->IsValid());
    }

    // Counts the records whose message is `message` anywhere in the ring.
    int Occurrences(const std::string& message) {
        RegionLock lock(region_);
        EXPECT_TRUE(lock.Held());
        int found = 0;
        for (std::uint32_t slot = 0; slot < region_.Map().capacity; ++slot)
            found += message == region_.Map().records[slot].message;
        return found;
    }

    ExclusiveTest exclusive_;
    LogRegion region_;
    std::unique_ptr<Logger> logger_{Logger::GetNewLogger()};
};

TEST_F(CrossProcessTest, ConcurrentWritersNeverInterleaveAndCountEveryRecord) {
    bool measured = false;
    for (int attempt = 0; attempt < 3 && !measured && !HasFailure(); ++attempt)
        measured = RunTwoWriters(region_);
    EXPECT_TRUE(measured) << "other writers kept flooding the ring";
}

TEST_F(CrossProcessTest, MutexHeldElsewhereDropsTheRecordAfterOneSecond) {
    Event ready(UniqueName("hold-ready"));
    HelperProcess holder("hold 3000 " + ready.name);
    ASSERT_TRUE(holder.Started());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.handle, 30000));

    // While the helper holds the mutex nobody can write, so reading the
    // count without it is stable.
    const std::uint32_t count = region_.Map().count;
    const std::string message = UniqueName("dropped");
    const DWORD started = GetTickCount();
    logger_->Trace("%s", message.c_str());
    const DWORD elapsed = GetTickCount() - started;
    EXPECT_EQ(count, region_.Map().count);
    EXPECT_GE(elapsed, 900u);
    EXPECT_LE(elapsed, 2500u);

    EXPECT_EQ(0u, holder.Wait(30000));
    EXPECT_EQ(0, Occurrences(message));
}

TEST_F(CrossProcessTest, AbandonedMutexStillLetsWritersIn) {
    Event ready(UniqueName("abandon-ready"));
    HelperProcess quitter("abandon " + ready.name);
    ASSERT_TRUE(quitter.Started());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.handle, 30000));
    ASSERT_EQ(0u, quitter.Wait(30000));

    const std::string message = UniqueName("after-abandon");
    logger_->Trace("%s", message.c_str());
    EXPECT_EQ(1, Occurrences(message));
}

} // namespace
