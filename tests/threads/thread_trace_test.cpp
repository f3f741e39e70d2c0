// The lines a thread writes into the machine's trace log, read back from the
// shared region.
#include "thread_test_support.h"

#include "logging/win32/log_map.h"

#include <REDudi/platform.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

struct Line {
    std::string subClass;
    int level;
    std::string message;
};

// The "Thread" records of this process in the shared ring, oldest first.
class TraceRing {
public:
    TraceRing() {
        mapping_ = OpenFileMappingA(
            FILE_MAP_READ, FALSE,
            AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(logmap::kMappingName)
                .c_str());
        if (mapping_ != nullptr)
            map_ = static_cast<const WIN32_LogMap*>(
                MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, sizeof(WIN32_LogMap)));
        if (map_ != nullptr)
            start_ = map_->count;
    }
    ~TraceRing() {
        if (map_ != nullptr)
            UnmapViewOfFile(map_);
        if (mapping_ != nullptr)
            CloseHandle(mapping_);
    }
    bool IsOpen() const { return map_ != nullptr; }

    // False when other writers wrote so much that our records may be gone.
    bool Read(std::vector<Line>& lines) const {
        std::uint32_t written = map_->count - start_;
        if (written >= logmap::kCapacity)
            return false;
        char process[32];
        std::snprintf(process, sizeof process, "0x%lx",
                      static_cast<unsigned long>(GetCurrentProcessId()));
        for (std::uint32_t i = written; i > 0; --i) {
            std::uint32_t slot = (map_->next + logmap::kCapacity - i) % logmap::kCapacity;
            const ALogEntry& entry = map_->records[slot];
            if (std::string(entry.className) == "Thread" && std::string(entry.process) == process)
                lines.push_back({entry.subClass, entry.level, entry.message});
        }
        return true;
    }

private:
    HANDLE mapping_ = nullptr;
    const WIN32_LogMap* map_ = nullptr;
    std::uint32_t start_ = 0;
};

bool Contains(const std::vector<Line>& lines, const std::string& subClass, int level,
              const std::string& message) {
    for (const Line& line : lines)
        if (line.subClass == subClass && line.level == level && line.message == message)
            return true;
    return false;
}

unsigned int TakeOneThenTimeOut(Thread* self, void*) {
    PString name;
    self->WaitForEvent(name, kPatienceMs);
    self->WaitForEvent(name, 20);
    return 7;
}

unsigned int WaitForever(Thread* self, void*) {
    PString name;
    self->WaitForEvent(name);
    return 1;
}

} // namespace

TEST(ThreadTraceTest, TheOrdinaryCourseIsTracedWhenEnabled) {
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    ASSERT_NE(thread, nullptr);
    TraceRing ring;
    ASSERT_TRUE(ring.IsOpen());
    thread->EnableLog(true);
    thread->SetThreadProc(&TakeOneThenTimeOut);
    ASSERT_TRUE(thread->Execute());
    EXPECT_FALSE(thread->Execute());
    ASSERT_TRUE(thread->SignalEvent("go"));
    ASSERT_TRUE(EventuallyTrue([&] { return thread->HasTerminated(); }));
    EXPECT_TRUE(thread->Terminate(false)); // waits for its last line
    EXPECT_FALSE(thread->GetEvent("go"));

    std::vector<Line> lines;
    if (!ring.Read(lines))
        GTEST_SKIP() << "the trace ring was overrun by other writers";
    EXPECT_TRUE(Contains(lines, "Execute", 3, "Started thread Executing."));
    EXPECT_TRUE(Contains(lines, "Execute", 1,
                         "Could not start thread because it is already running or is not valid."));
    EXPECT_TRUE(Contains(lines, "ThreadWrapper", 3, "Started thread Executing."));
    EXPECT_TRUE(Contains(lines, "SignalEvent", 3, "go was signaled."));
    EXPECT_TRUE(Contains(lines, "WaitForEvent", 3, "Wait for an Event for 10000lms."));
    EXPECT_TRUE(Contains(lines, "WaitForEvent", 3, "Found Event go."));
    EXPECT_TRUE(Contains(lines, "WaitForEvent", 3, "Event did not occur in 20lms."));
    EXPECT_TRUE(Contains(lines, "ThreadWrapper", 3, "Thread has terminated with a code of 7."));
    bool getEventLine = false;
    for (const Line& line : lines)
        getEventLine |= line.subClass == "GetEvent" && line.message == "Event is not present.";
    EXPECT_TRUE(getEventLine);
}

TEST(ThreadTraceTest, TerminationIsTracedAndUncaughtTerminationAlways) {
    TraceRing ring;
    ASSERT_TRUE(ring.IsOpen());
    std::unique_ptr<Thread> quiet(Thread::GetNewThread());
    ASSERT_NE(quiet, nullptr);
    quiet->SetThreadProc(&WaitForever);
    quiet->SetDeadlockTimeout(kPatienceMs);
    ASSERT_TRUE(quiet->Execute());
    EXPECT_TRUE(quiet->Terminate(false));

    std::unique_ptr<Thread> loud(Thread::GetNewThread());
    ASSERT_NE(loud, nullptr);
    loud->EnableLog(true);
    loud->SetThreadProc(&WaitForever);
    loud->SetDeadlockTimeout(kPatienceMs);
    ASSERT_TRUE(loud->Execute());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(loud->Terminate(false));

    std::vector<Line> lines;
    if (!ring.Read(lines))
        GTEST_SKIP() << "the trace ring was overrun by other writers";
    int uncaught = 0;
    for (const Line& line : lines)
        uncaught += line.subClass == "ThreadWrapper" && line.level == 0 &&
                    line.message == "Uncaught Exception Thread Termination Exception.";
    EXPECT_EQ(uncaught, 2); // the quiet thread's too
    EXPECT_TRUE(Contains(lines, "Terminate", 3, "Terminating thread."));
    EXPECT_TRUE(Contains(lines, "WaitForEvent", 3, "Waiting for Event."));
    EXPECT_TRUE(Contains(lines, "WaitForEvent", 3,
                         "Terminating thread because of terminate or empty queue."));
    EXPECT_TRUE(Contains(lines, "ThreadWrapper", 3, "Thread has terminated with a code of 0."));
}
