#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "logging/win32/log_map.h"
#include "win32/child_process.h"
#include "win32/collecting_listener.h"
#include "win32/region_writer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <set>
#include <thread>

using namespace REDudi;
using REDudi::testing::ChildProcess;
using REDudi::testing::CollectingListener;
using REDudi::testing::ExecutableBeside;
using REDudi::testing::Received;
using REDudi::testing::RegionWriter;

namespace {

std::string OwnClass() {
    return REDudi::testing::OwnTestClass("RT");
}

std::string Numbered(int i) {
    return "n " + std::to_string(i);
}

std::unique_ptr<LogReader> NewReader() {
    return std::unique_ptr<LogReader>(LogReader::GetNewLogReader());
}

TEST(LogReaderTest, CatchesUpOnStartOldestFirst) {
    std::string own = OwnClass();
    RegionWriter writer;
    ASSERT_TRUE(writer.IsOpen());
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(writer.Write(own, "Sub", 3, 0, Numbered(i)));

    CollectingListener listener(own);
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    ASSERT_TRUE(listener.WaitForOwn(10, 10000));
    std::vector<std::string> messages = listener.OwnMessages();
    ASSERT_EQ(10u, messages.size());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Numbered(i), messages[i]);
}

TEST(LogReaderTest, StartsOnlyOnce) {
    CollectingListener listener(OwnClass());
    auto reader = NewReader();
    EXPECT_FALSE(reader->Start(nullptr));
    EXPECT_TRUE(reader->Start(&listener));
    EXPECT_FALSE(reader->Start(&listener));
}

// Both mutexes held elsewhere while the reader opens: it follows nothing,
// and says so.
TEST(LogReaderTest, StartFailsWhenNeitherRegionOpened) {
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        RegionWriter current(RegionWriter::Set::kCurrent);
        RegionWriter legacy(RegionWriter::Set::kLegacy);
        if (current.Lock() && legacy.Lock()) {
            SetEvent(held);
            WaitForSingleObject(done, 10000);
            legacy.Unlock();
            current.Unlock();
        }
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 10000));
    auto reader = NewReader();
    SetEvent(done);
    holder.join();
    CloseHandle(held);
    CloseHandle(done);
    CollectingListener listener(OwnClass());
    EXPECT_FALSE(reader->Start(&listener));
}

TEST(LogReaderTest, CreatesBothRegionsInitialised) {
    auto reader = NewReader();
    PString current =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMappingName));
    for (const char* name : {current.c_str(), logmap::kLegacyMappingName}) {
        SCOPED_TRACE(name);
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
        ASSERT_NE(nullptr, mapping);
        auto* region = static_cast<const WIN32_LogMap*>(
            MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(WIN32_LogMap)));
        ASSERT_NE(nullptr, region);
        EXPECT_EQ(143216u, region->size);
        EXPECT_EQ(199u, region->capacity);
        EXPECT_LT(region->next, 199u);
        UnmapViewOfFile(region);
        CloseHandle(mapping);
    }
}

TEST(LogReaderTest, ConcurrentWriterProcessesAreDeliveredOnceInOrder) {
    std::string own = OwnClass();
    CollectingListener listener(own);
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));

    // 2 x 60 records fit the ring together, so none may be lost even if the
    // reader only gets to them at the end.
    ChildProcess writers[2];
    for (int w = 0; w < 2; ++w)
        ASSERT_TRUE(writers[w].Start("\"" + ExecutableBeside("log_writer_helper.exe") + "\" " +
                                     own + " Sub 3 60 w" + std::to_string(w)));
    for (ChildProcess& writer : writers) {
        DWORD exitCode = 1;
        ASSERT_TRUE(writer.Wait(20000, exitCode));
        ASSERT_EQ(0u, exitCode);
    }
    ASSERT_TRUE(listener.WaitForOwn(120, 10000));
    std::vector<std::string> messages = listener.OwnMessages();
    EXPECT_EQ(120u, messages.size());
    int next[2] = {0, 0};
    for (const std::string& message : messages) {
        int w = message[1] - '0';
        ASSERT_TRUE(w == 0 || w == 1) << message;
        EXPECT_EQ("w" + std::to_string(w) + " " + std::to_string(next[w]), message);
        ++next[w];
    }
}

// The ring keeps 199 records: of 500 written while the listener was busy,
// the next scan delivers the newest 199, oldest first from slot `next`.
TEST(LogReaderTest, SkipsRecordsOverwrittenWhileListenerIsBusy) {
    std::string own = OwnClass();
    CollectingListener listener(own);
    listener.BlockAt("block");
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    RegionWriter writer;
    ASSERT_TRUE(writer.Write(own, "Sub", 3, 0, "block"));
    ASSERT_TRUE(listener.WaitUntilBlocked(10000));

    // Held across all 500, so no other writer lands between ours.
    ASSERT_TRUE(writer.Lock());
    for (int i = 0; i < 500; ++i)
        ASSERT_TRUE(writer.Write(own, "Sub", 3, 0, Numbered(i)));
    writer.Unlock();
    std::size_t before = listener.All().size();
    listener.Release();
    ASSERT_TRUE(writer.Write(own, "Sub", 3, 0, "tail"));
    ASSERT_TRUE(listener.WaitForOwnMessage("tail", 10000));

    // Records of other tests may have landed after ours and pushed some of
    // ours out, but one scan copies one whole ring: 199 records from our
    // first survivor on, ours first and without a gap.
    std::vector<Received> all = listener.All();
    std::size_t start = before;
    while (start < all.size() &&
           !(all[start].className == own && all[start].message.rfind("n ", 0) == 0))
        ++start;
    ASSERT_LT(start, all.size());
    int kept = 0;
    while (kept < 199 && start + kept < all.size() && all[start + kept].className == own &&
           all[start + kept].message.rfind("n ", 0) == 0)
        ++kept;
    EXPECT_GE(kept, 150);
    for (int i = 0; i < kept; ++i)
        EXPECT_EQ(Numbered(500 - kept + i), all[start + i].message);
    for (std::size_t i = start + kept; i < all.size(); ++i)
        EXPECT_FALSE(all[i].className == own && all[i].message.rfind("n ", 0) == 0)
            << all[i].message;
    std::vector<std::string> ownMessages = listener.OwnMessages();
    EXPECT_EQ(std::set<std::string>(ownMessages.begin(), ownMessages.end()).size(),
              ownMessages.size());
}

TEST(LogReaderTest, DestructionEndsBusyListenerAfterGrace) {
    std::string own = OwnClass();
    CollectingListener listener(own);
    listener.BlockAt("block");
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    RegionWriter writer;
    ASSERT_TRUE(writer.Write(own, "Sub", 3, 0, "block"));
    ASSERT_TRUE(listener.WaitUntilBlocked(10000));
    DWORD started = GetTickCount();
    reader.reset();
    DWORD elapsed = GetTickCount() - started;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 5000u);
    listener.Release();
}

TEST(LogReaderTest, DestructionOfIdleReaderIsPrompt) {
    CollectingListener listener(OwnClass());
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    DWORD started = GetTickCount();
    reader.reset();
    EXPECT_LT(GetTickCount() - started, 900u);
}

// The legacy region, which the library's writers never touch: one test holds
// its mutex for seconds, so that tests tracing beside it lose nothing.
TEST(LegacyRegionTest, DeliversLegacyAndCurrentRecords) {
    std::string own = OwnClass();
    CollectingListener listener(own);
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    RegionWriter legacy(RegionWriter::Set::kLegacy);
    RegionWriter current;
    ASSERT_TRUE(legacy.IsOpen());
    ASSERT_TRUE(current.IsOpen());
    ASSERT_TRUE(legacy.Write(own, "Old", 1, 7, "legacy 0"));
    ASSERT_TRUE(current.Write(own, "New", 1, 7, "current 0"));
    ASSERT_TRUE(legacy.Write(own, "Old", 1, 7, "legacy 1"));
    ASSERT_TRUE(listener.WaitForOwn(3, 20000));
    std::vector<std::string> messages = listener.OwnMessages();
    std::vector<std::string> legacyMessages;
    for (const std::string& message : messages)
        if (message.rfind("legacy", 0) == 0)
            legacyMessages.push_back(message);
    EXPECT_EQ((std::vector<std::string>{"legacy 0", "legacy 1"}), legacyMessages);
    EXPECT_EQ(3u, messages.size());
}

TEST(LegacyRegionTest, LegacyRecordsOfAnotherProcessAreCaughtUp) {
    std::string own = OwnClass();
    // Opened first: a region lives only while some process keeps it open.
    auto reader = NewReader();
    ChildProcess writer;
    ASSERT_TRUE(writer.Start("\"" + ExecutableBeside("log_writer_helper.exe") + "\" --legacy " +
                             own + " Old 2 5 legacy"));
    DWORD exitCode = 1;
    ASSERT_TRUE(writer.Wait(20000, exitCode));
    ASSERT_EQ(0u, exitCode);

    CollectingListener listener(own);
    ASSERT_TRUE(reader->Start(&listener));
    ASSERT_TRUE(listener.WaitForOwn(5, 20000));
    std::vector<std::string> messages = listener.OwnMessages();
    ASSERT_EQ(5u, messages.size());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ("legacy " + std::to_string(i), messages[i]);
}

// Held in the legacy region: the library's writers never wait for its mutex,
// so tests tracing beside this one lose nothing while it is held.
TEST(LegacyRegionTest, ScanSkippedByHeldMutexDeliversWithNextWakeUp) {
    std::string own = OwnClass();
    CollectingListener listener(own);
    auto reader = NewReader();
    ASSERT_TRUE(reader->Start(&listener));
    RegionWriter writer(RegionWriter::Set::kLegacy);
    ASSERT_TRUE(writer.Lock());
    ASSERT_TRUE(writer.Write(own, "Sub", 3, 0, "held"));
    // Longer than the reader waits for the mutex, so its scan gives up.
    Sleep(6000);
    EXPECT_TRUE(listener.OwnMessages().empty());
    writer.Unlock();
    ASSERT_TRUE(writer.Write(own, "Sub", 3, 0, "after"));
    ASSERT_TRUE(listener.WaitForOwn(2, 20000));
    EXPECT_EQ((std::vector<std::string>{"held", "after"}), listener.OwnMessages());
}

} // namespace
