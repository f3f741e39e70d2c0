// Threads, their event queues and facade; waits made on a thread's behalf.
#include "thread_test_support.h"

#include "logging/win32/log_map.h"

#include <REDudi/platform.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

const WIN32_LogMap* OpenRing() {
    HANDLE mapping = OpenFileMappingA(
        FILE_MAP_READ, FALSE,
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(logmap::kMappingName).c_str());
    return static_cast<const WIN32_LogMap*>(
        MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(WIN32_LogMap)));
}

// "subclass level message" of this process's "Thread" records since `start`.
bool ThreadLines(const WIN32_LogMap& ring, std::uint32_t start, std::vector<std::string>& lines) {
    char process[32];
    std::snprintf(process, sizeof process, "0x%lx", GetCurrentProcessId());
    const std::uint32_t written = ring.count - start, capacity = logmap::kCapacity;
    for (std::uint32_t i = written; i > 0 && written < capacity; --i) {
        const ALogEntry& e = ring.records[(ring.next + capacity - i) % capacity];
        if (std::string(e.className) == "Thread" && std::string(e.process) == process)
            lines.push_back(std::string(e.subClass) + " " + std::to_string(e.level) + " " +
                            e.message);
    }
    return written < capacity;
}

// A thread that is not a Windows thread: waits refuse it.
class ForeignThread : public Thread {
public:
    bool IsValid() override { return true; }
    void Sleep(unsigned int) override {}
    bool WaitForEvent(PString&) override { return false; }
    bool WaitForEvent(PString&, unsigned int) override { return false; }
    bool SignalEvent(PString) override { return false; }
    bool Execute() override { return false; }
    bool Suspend() override { return false; }
    bool Resume() override { return false; }
    bool Terminate(bool) override { return true; }

protected:
    void EnterGuard() override {}
    void LeaveGuard() override {}
};

} // namespace

// A busy thread is killed, by the destructor only after the deadlock timeout.
TEST(AThreadTest, TerminationAndDestructionUnwindEveryWaitOrKill) {
    AMutex mutex;
    ASSERT_TRUE(mutex.Acquire(0u)); // held by the test's thread
    enum How { kSoft, kSuspended, kHard, kDelete };
    const struct {
        const char* name;
        Wait wait;
        How how;
        unsigned int deadlockTimeout;
    } rows[] = {
        {"WaitForEvent", Wait::kEvent, kSoft, kPatienceMs},
        {"Sleep", Wait::kSleep, kSoft, kPatienceMs},
        {"AMutex::Acquire", Wait::kMutex, kSoft, kPatienceMs},
        {"suspended", Wait::kSleep, kSuspended, kPatienceMs},
        {"busy", Wait::kBusy, kHard, kPatienceMs},
        {"deleted waiting", Wait::kEvent, kDelete, kPatienceMs},
        {"deleted busy", Wait::kBusy, kDelete, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::atomic<bool> threw{false};
        std::unique_ptr<Worker> worker(new Worker(row.wait, &threw, &mutex));
        worker->SetDeadlockTimeout(row.deadlockTimeout);
        ASSERT_TRUE(worker->Start());
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it block
        EXPECT_TRUE(row.how != kSuspended || (worker->Suspend() && worker->IsSuspended()));
        const bool killed = row.wait == Wait::kBusy;
        Clock::time_point start = Clock::now();
        if (row.how == kDelete)
            worker.reset();
        else
            EXPECT_EQ(worker->Terminate(row.how == kHard), !killed);
        const long long elapsed = MillisecondsSince(start);
        EXPECT_LT(elapsed, row.how == kHard ? 2000 : 5000);
        EXPECT_GE(elapsed, row.deadlockTimeout < 1000 ? 80 : 0);
        EXPECT_EQ(threw, !killed);
        if (worker) {
            EXPECT_TRUE(worker->HasTerminated() && !worker->IsExecuting() &&
                        !worker->IsSuspended());
            // The unwound Run returned nothing; the killed one the mark.
            EXPECT_EQ(worker->GetReturnCode(), killed ? 0xFFFFFFFFu : 0u);
        }
    }
    mutex.Release();
}

TEST(AThreadTest, RunReceivesEventsAndRunsAfreshOnceEnded) {
    std::atomic<bool> threw{false};
    Worker worker(Wait::kEvent, &threw);
    for (const char* names : {"ab", "c"}) {
        ASSERT_TRUE(worker.Start());
        for (const char* name = names; *name != '\0'; ++name)
            EXPECT_TRUE(worker.SignalEvent(std::string(1, *name)));
        EXPECT_TRUE(worker.SignalEvent("stop"));
        ASSERT_TRUE(EventuallyTrue([&] { return worker.HasTerminated(); }));
        EXPECT_EQ(worker.GetReturnCode(), 5u);
        EXPECT_FALSE(threw);
    }
    EXPECT_EQ(worker.Names(), (std::vector<std::string>{"a", "b", "c"}));
}

// Events queue only while the thread runs; leftovers are taken by exact name.
TEST(ThreadTest, EventsArriveInOrderAndLeftoversAreTakenOnceStopped) {
    struct Probe {
        std::promise<void> waiting, proceed;
        std::vector<std::string> names;
        bool timedOutEmpty = false; // the first timed wait: false with ""
    } probe;
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    ASSERT_NE(thread, nullptr);
    thread->SetThreadData(&probe);
    thread->SetThreadProc([](Thread* self, void* data) -> unsigned int {
        Probe& p = *static_cast<Probe*>(data);
        PString name = "stale";
        p.timedOutEmpty = !self->WaitForEvent(name, 50) && name.empty();
        p.waiting.set_value();
        p.proceed.get_future().wait_for(kPatience);
        for (int i = 0; i < 3 && self->WaitForEvent(name, kPatienceMs); ++i)
            p.names.push_back(name);
        return 7;
    });
    EXPECT_FALSE(thread->SignalEvent("early"));
    EXPECT_FALSE(thread->AreQueuedEvents());
    ASSERT_TRUE(thread->Execute());
    EXPECT_FALSE(thread->Execute()); // already running
    EXPECT_FALSE(thread->SetThreadProc(nullptr));
    EXPECT_FALSE(thread->SetThreadData(nullptr));
    std::future<void> waiting = probe.waiting.get_future();
    ASSERT_TRUE(Arrives(waiting));
    for (const char* name : {"one", "two", "three", "Job", "Job"})
        EXPECT_TRUE(thread->SignalEvent(name));
    EXPECT_FALSE(thread->GetEvent("Job")); // running
    probe.proceed.set_value();

    ASSERT_TRUE(EventuallyTrue([&] { return thread->HasTerminated(); }));
    EXPECT_EQ(probe.names, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_TRUE(probe.timedOutEmpty);
    EXPECT_EQ(thread->GetReturnCode(), 7u);
    EXPECT_FALSE(thread->SignalEvent("late"));
    EXPECT_FALSE(thread->GetEvent("job"));
    EXPECT_TRUE(thread->GetEvent("Job"));
    EXPECT_TRUE(thread->AreQueuedEvents());
    EXPECT_TRUE(thread->GetEvent("Job"));
    EXPECT_FALSE(thread->GetEvent("Job"));
    EXPECT_FALSE(thread->AreQueuedEvents());
}

// A terminating or foreign thread cannot wait; untimed waits end at the deadlock timeout.
TEST(ThreadTest, WaitsOnBehalfOfAThreadGiveUpWhenItCannotWait) {
    std::unique_ptr<Thread> idle(Thread::GetNewThread()), ending(Thread::GetNewThread());
    ASSERT_TRUE(idle && ending);
    ending->Terminate(true); // not started: only its terminate event is signalled
    ForeignThread foreign;
    std::unique_ptr<Event> event(Event::GetNewEvent());
    std::unique_ptr<Guard> guard(Guard::GetNewGuard());
    event->SetDeadLockTimeOut(20);
    guard->SetDeadLockTimeOut(20);
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(guard->Wait(idle.get()));
    EXPECT_GE(MillisecondsSince(start), 15);
    EXPECT_THROW(event->Wait(idle.get()), ThreadTerminateException);
    EXPECT_THROW(event->Wait(nullptr), ThreadTerminateException);
    EXPECT_THROW(guard->Wait(nullptr), ThreadTerminateException);
    EXPECT_FALSE(event->Wait(10, idle.get()));
    EXPECT_FALSE(guard->Wait(10, idle.get()));

    event->SetDeadLockTimeOut(kPatienceMs);
    guard->SetDeadLockTimeOut(kPatienceMs);
    AMutex mutex;
    EXPECT_TRUE(mutex.Acquire(0u, ending.get()));
    mutex.Release();
    EXPECT_THROW(mutex.Acquire(0u, &foreign), ThreadTerminateException);
    Holder holder(mutex);
    start = Clock::now();
    for (Thread* thread : {ending.get(), static_cast<Thread*>(&foreign)}) {
        EXPECT_THROW(mutex.Acquire(kPatienceMs, thread), ThreadTerminateException);
        EXPECT_THROW(AMutexLock(&mutex, thread, true), ThreadTerminateException);
        EXPECT_THROW(event->Wait(kPatienceMs, thread), ThreadTerminateException);
        EXPECT_THROW(guard->Wait(thread), ThreadTerminateException);
    }
    EXPECT_LT(MillisecondsSince(start), 2000);
    event->Signal();
    guard->Signal();
    EXPECT_THROW(event->Wait(0, &foreign), ThreadTerminateException);
    EXPECT_TRUE(event->Wait(kPatienceMs, ending.get()));
    EXPECT_TRUE(guard->Wait(ending.get()));
}

// The process survives and the kernel thread ends with the procedure's result.
TEST(ThreadDeletionTest, ProcedureMayDeleteItsOwnThread) {
    std::promise<HANDLE> kernelThread;
    Thread* thread = Thread::GetNewThread();
    ASSERT_NE(nullptr, thread);
    thread->EnableLog(true);
    thread->SetThreadData(&kernelThread);
    thread->SetThreadProc([](Thread* self, void* data) -> unsigned int {
        HANDLE handle = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle,
                        SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0);
        delete self;
        static_cast<std::promise<HANDLE>*>(data)->set_value(handle);
        return 42;
    });
    ASSERT_TRUE(thread->Execute());
    std::future<HANDLE> handle = kernelThread.get_future();
    ASSERT_TRUE(Arrives(handle));
    const HANDLE kernel = handle.get();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(kernel, kPatienceMs));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(kernel, &code) && code == 42) << code;
    CloseHandle(kernel);
}

// An uncaught termination is traced even with the trace off.
TEST(ThreadTraceTest, TheCourseAndTerminationAreTraced) {
    const WIN32_LogMap* ring = OpenRing(); // left open: the process ends soon
    ASSERT_NE(ring, nullptr);
    const std::uint32_t start = ring->count;
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    ASSERT_NE(thread, nullptr);
    thread->EnableLog(true);
    thread->SetThreadProc([](Thread* self, void*) -> unsigned int {
        PString name;
        self->WaitForEvent(name, kPatienceMs);
        self->WaitForEvent(name, 20);
        return 7;
    });
    ASSERT_TRUE(thread->Execute());
    EXPECT_FALSE(thread->Execute());
    ASSERT_TRUE(thread->SignalEvent("go"));
    ASSERT_TRUE(EventuallyTrue([&] { return thread->HasTerminated(); }));
    EXPECT_TRUE(thread->Terminate(false)); // waits for its last line
    EXPECT_FALSE(thread->GetEvent("go"));
    for (bool log : {false, true}) {
        Worker waiting;
        waiting.thread()->EnableLog(log);
        ASSERT_TRUE(waiting.Start());
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it block
        EXPECT_TRUE(waiting.Terminate(false));
    }

    std::vector<std::string> lines;
    if (!ThreadLines(*ring, start, lines))
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
