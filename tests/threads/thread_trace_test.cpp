// The lines a thread writes into the machine's trace log, read back from the
// shared region.
#include "thread_test_support.h"

#include "logging/win32/log_map.h"

#include <REDudi/platform.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

// "subclass level message" of a record.
using Line = std::string;

// The "Thread" records this process writes from construction on.
class TraceRing {
public:
    TraceRing()
        : mapping_(OpenFileMappingA(FILE_MAP_READ, FALSE,
                                    AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(
                                        logmap::kMappingName)
                                        .c_str())),
          map_(static_cast<const WIN32_LogMap*>(
              MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, sizeof(WIN32_LogMap)))),
          start_(map_ != nullptr ? map_->count : 0) {}
    ~TraceRing() {
        UnmapViewOfFile(map_);
        CloseHandle(mapping_);
    }
    bool IsOpen() const { return map_ != nullptr; }

    // False when other writers wrote so much that our records may be gone.
    bool Read(std::vector<Line>& lines) const {
        std::uint32_t written = map_->count - start_;
        const std::string process = "0x" + ToHex(GetCurrentProcessId());
        for (std::uint32_t i = written; i > 0 && written < logmap::kCapacity; --i) {
            const ALogEntry& e = map_->records[(map_->next + logmap::kCapacity - i) % logmap::kCapacity];
            if (std::string(e.className) == "Thread" && e.process == process)
                lines.push_back(std::string(e.subClass) + " " + std::to_string(e.level) + " " +
                                e.message);
        }
        return written < logmap::kCapacity;
    }

private:
    static std::string ToHex(unsigned long value) {
        char text[16];
        std::snprintf(text, sizeof text, "%lx", value);
        return text;
    }
    HANDLE mapping_;
    const WIN32_LogMap* map_;
    std::uint32_t start_;
};

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
    for (const char* line : {
             "Execute 3 Started thread Executing.",
             "Execute 1 Could not start thread because it is already running or is not valid.",
             "ThreadWrapper 3 Started thread Executing.",
             "SignalEvent 3 go was signaled.",
             "WaitForEvent 3 Wait for an Event for 10000lms.",
             "WaitForEvent 3 Found Event go.",
             "WaitForEvent 3 Event did not occur in 20lms.",
             "ThreadWrapper 3 Thread has terminated with a code of 7.",
             "Terminate 3 Terminating thread.",
             "WaitForEvent 3 Waiting for Event.",
             "WaitForEvent 3 Terminating thread because of terminate or empty queue.",
             "ThreadWrapper 3 Thread has terminated with a code of 0.",
             "GetEvent 0 Event is not present.",
         })
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    // The quiet thread's too.
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "ThreadWrapper 0 Uncaught Exception Thread Termination Exception."),
              2);
}
