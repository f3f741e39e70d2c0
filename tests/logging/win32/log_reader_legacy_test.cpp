// The legacy region, which the library's writers never touch. These tests
// share it machine-wide, and one of them holds its mutex for seconds (a
// reader constructed meanwhile would leave the legacy region closed), so
// they run one at a time (see CMakeLists.txt).
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

std::unique_ptr<LogReader> NewReader() {
    return std::unique_ptr<LogReader>(LogReader::GetNewLogReader());
}

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
