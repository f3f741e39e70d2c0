// The critical writer and the region it fills, on logs of the test's own.
#include "logging/win32/win32_critical_log_reader.h"
#include "logging/win32/win32_critical_logger.h"

#include "win32/critical_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace REDudi;
using namespace REDudi::testing;

namespace {

class CriticalLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writer_.IsValid());
        ASSERT_TRUE(region_.IsOpen());
    }

    PrivateLogNames names_;
    WIN32_CriticalLogger writer_{names_.Names()};
    CriticalRegionView region_{names_.Names()};
};

TEST_F(CriticalLogTest, FieldsAreCutToTheirLimits) {
    struct Row {
        const char* field;
        std::size_t given;
        std::size_t stored;
    } rows[] = {
        {"agent", 31, 31},       {"agent", 32, 31},       {"module", 31, 31},
        {"module", 40, 31},      {"class", 63, 63},       {"class", 64, 63},
        {"subclass", 63, 63},    {"subclass", 64, 63},    {"message", 2047, 2047},
        {"message", 2048, 2047}, {"message", 3000, 2047},
    };
    for (const Row& r : rows) {
        const std::string label = std::string(r.field) + " " + std::to_string(r.given);
        const std::string given(r.given, 'x');
        const std::string field = r.field;
        WIN32_CriticalLogger writer(names_.Names());
        if (field == "agent")
            writer.SetAgent(PString(given));
        if (field == "module")
            writer.SetModule(PString(given));
        if (field == "class")
            writer.SetClass(PString(given));
        writer.ClassTrace(1, field == "subclass" ? given.c_str() : "sub", "%s",
                          field == "message" ? given.c_str() : "text");
        const ACriticalLogEntry& e = region_.Last();
        const char* stored = field == "agent"      ? e.agent
                             : field == "module"   ? e.module
                             : field == "class"    ? e.className
                             : field == "subclass" ? e.subClass
                                                   : e.message;
        EXPECT_EQ(r.stored, std::string(stored).size()) << label;
    }
}

TEST(CriticalRing, WrapsAtTheCapacityOfWhoeverCreatedTheRegion) {
    struct Row {
        bool readerFirst;
        std::uint32_t capacity;
    } rows[] = {{false, 400}, {true, 399}};
    for (const Row& r : rows) {
        PrivateLogNames names;
        std::unique_ptr<CriticalLogReader> reader;
        if (r.readerFirst)
            reader.reset(new WIN32_CriticalLogReader(names.Names()));
        WIN32_CriticalLogger writer(names.Names());
        CriticalRegionView region(names.Names());
        ASSERT_TRUE(region.IsOpen()) << r.capacity;
        ASSERT_EQ(r.capacity, region.Map().capacity);
        EXPECT_EQ(934416u, region.Map().size);
        EXPECT_EQ(0u, region.Map().count + region.Map().next);
        for (std::uint32_t i = 1; i <= r.capacity; ++i)
            writer.Trace(static_cast<int>(i), "record %u", i);
        EXPECT_EQ(0u, region.Map().next) << r.capacity;
        EXPECT_EQ(static_cast<int>(r.capacity), region.Map().records[r.capacity - 1].code);
        writer.Trace(static_cast<int>(r.capacity + 1), "one more");
        EXPECT_EQ(static_cast<int>(r.capacity + 1), region.Map().records[0].code) << r.capacity;
        EXPECT_EQ(1u, region.Map().next) << r.capacity;
        if (r.capacity == 399) {
            EXPECT_EQ(0, region.Map().records[399].code) << "the last slot stays unused";
        }
    }
}

TEST(CriticalRing, DamagedCapacityNeitherDividesByZeroNorWritesPastTheRegion) {
    struct Row {
        std::uint32_t capacity;
        std::uint32_t next;
        std::uint32_t wantSlot;
        std::uint32_t wantNext;
    } rows[] = {{0, 0, 0, 1}, {0, 399, 399, 0}, {401, 399, 399, 0}, {400, 400, 0, 1}, {1, 0, 0, 0}};
    for (const Row& r : rows) {
        PrivateLogNames names;
        WIN32_CriticalLogger writer(names.Names());
        CriticalRegionView region(names.Names());
        ASSERT_TRUE(region.IsOpen());
        region.Map().capacity = r.capacity;
        region.Map().next = r.next;
        writer.Trace(42, "damaged");
        EXPECT_EQ(42, region.Map().records[r.wantSlot].code) << r.capacity << " " << r.next;
        EXPECT_EQ(r.wantNext, region.Map().next) << r.capacity << " " << r.next;
    }
}

TEST(CriticalRegion, ForeignMappingOfTheSameNameIsRefused) {
    struct Row {
        DWORD bytes;
        std::uint32_t sizeField;
        bool accepted;
    } rows[] = {{4096, 4096, false},
                {934416, 934415, false},
                {934416 * 2, 934416 * 2, false},
                {934416, 934416, true}};
    for (const Row& r : rows) {
        PrivateLogNames names;
        HANDLE foreign = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            r.bytes, names.GlobalMappingName().c_str());
        ASSERT_NE(nullptr, foreign);
        auto* header =
            static_cast<std::uint32_t*>(MapViewOfFile(foreign, FILE_MAP_WRITE, 0, 0, 16));
        ASSERT_NE(nullptr, header);
        header[0] = r.sizeField;
        header[3] = 400;
        WIN32_CriticalLogger writer(names.Names());
        WIN32_CriticalLogReader reader(names.Names());
        CriticalCollector collector;
        EXPECT_EQ(r.accepted, writer.IsValid()) << r.bytes << " " << r.sizeField;
        EXPECT_EQ(r.accepted, reader.Start(&collector)) << r.bytes << " " << r.sizeField;
        writer.Trace(1, "never past the slot");
        reader.Stop(0);
        UnmapViewOfFile(header);
        CloseHandle(foreign);
    }
}

struct Hold {
    std::string name;
    HANDLE taken, done;
};

DWORD WINAPI HoldMutex(void* p) {
    auto* h = static_cast<Hold*>(p);
    HANDLE m = CreateMutexA(nullptr, FALSE, h->name.c_str());
    WaitForSingleObject(m, 10000);
    SetEvent(h->taken);
    WaitForSingleObject(h->done, 20000);
    ReleaseMutex(m);
    CloseHandle(m);
    return 0;
}

TEST(CriticalSetUp, BoundedWaitWhenAnotherHolderKeepsTheMutex) {
    struct Row {
        bool regionExists;
        bool valid;
    } rows[] = {{true, true}, {false, false}};
    for (const Row& r : rows) {
        PrivateLogNames names;
        std::unique_ptr<WIN32_CriticalLogger> first;
        if (r.regionExists)
            first.reset(new WIN32_CriticalLogger(names.Names()));
        // Holding the mutex on another thread, as a stuck process would.
        const std::string mutexName =
            AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(names.Names().mutex));
        HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        Hold hold{mutexName, taken, done};
        HANDLE holder = CreateThread(nullptr, 0, &HoldMutex, &hold, 0, nullptr);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 10000));
        const DWORD start = GetTickCount();
        WIN32_CriticalLogger writer(names.Names());
        const DWORD spent = GetTickCount() - start;
        EXPECT_EQ(r.valid, writer.IsValid()) << r.regionExists;
        EXPECT_GE(spent, 900u) << r.regionExists;
        EXPECT_LT(spent, 3000u) << r.regionExists;
        SetEvent(done);
        WaitForSingleObject(holder, 10000);
        CloseHandle(holder);
        CloseHandle(taken);
        CloseHandle(done);
    }
}

} // namespace
