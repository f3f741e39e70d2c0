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

// The ordinary course of a thread with its trace enabled, then termination
// with and without it: an uncaught termination is always traced.
TEST(ThreadTraceTest, TheCourseAndTerminationAreTraced) {
    TraceRing ring;
    ASSERT_TRUE(ring.IsOpen());
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    ASSERT_NE(thread, nullptr);
    thread->EnableLog(true);
    thread->SetThreadProc(&TakeOneThenTimeOut);
    ASSERT_TRUE(thread->Execute());
    EXPECT_FALSE(thread->Execute());
    ASSERT_TRUE(thread->SignalEvent("go"));
    ASSERT_TRUE(EventuallyTrue([&] { return thread->HasTerminated(); }));
    EXPECT_TRUE(thread->Terminate(false)); // waits for its last line
    EXPECT_FALSE(thread->GetEvent("go"));

    for (bool log : {false, true}) {
        std::unique_ptr<Thread> waiting(Thread::GetNewThread());
        ASSERT_NE(waiting, nullptr);
        waiting->EnableLog(log);
        waiting->SetThreadProc(&WaitForever);
        waiting->SetDeadlockTimeout(kPatienceMs);
        ASSERT_TRUE(waiting->Execute());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(waiting->Terminate(false));
    }

    std::vector<Line> lines;
    if (!ring.Read(lines))
        GTEST_SKIP() << "the trace ring was overrun by other writers";
    const Line expected[] = {
        {"Execute", 3, "Started thread Executing."},
        {"Execute", 1, "Could not start thread because it is already running or is not valid."},
        {"ThreadWrapper", 3, "Started thread Executing."},
        {"SignalEvent", 3, "go was signaled."},
        {"WaitForEvent", 3, "Wait for an Event for 10000lms."},
        {"WaitForEvent", 3, "Found Event go."},
        {"WaitForEvent", 3, "Event did not occur in 20lms."},
        {"ThreadWrapper", 3, "Thread has terminated with a code of 7."},
        {"Terminate", 3, "Terminating thread."},
        {"WaitForEvent", 3, "Waiting for Event."},
        {"WaitForEvent", 3, "Terminating thread because of terminate or empty queue."},
        {"ThreadWrapper", 3, "Thread has terminated with a code of 0."},
    };
    for (const Line& line : expected)
        EXPECT_TRUE(Contains(lines, line.subClass, line.level, line.message)) << line.message;
    int uncaught = 0, getEvent = 0;
    for (const Line& line : lines) {
        uncaught += line.subClass == "ThreadWrapper" && line.level == 0 &&
                    line.message == "Uncaught Exception Thread Termination Exception.";
        getEvent += line.subClass == "GetEvent" && line.message == "Event is not present.";
    }
    EXPECT_EQ(uncaught, 2); // the quiet thread's too
    EXPECT_GE(getEvent, 1);
}
