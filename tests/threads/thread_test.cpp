// Threads with event queues: start, events, termination soft and hard,
// waits of other objects made on a thread's behalf, the thread's trace, and
// the thread facade (a derived Run() on its own thread).
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

enum class Wait { kEvent, kSleep, kMutex, kBusy };

// What a test procedure reports back; it lives on the test's stack.
struct Probe {
    Wait wait = Wait::kSleep;
    std::promise<void> waiting;     // set just before the blocking call
    std::promise<void> proceed;     // lets a procedure go on
    std::atomic<bool> threw{false}; // the blocking call threw termination
    std::vector<std::string> names; // events taken, in order
    bool timedOutEmpty = false;     // the first timed wait: false with ""
    AMutex* mutex = nullptr;
};

Probe& ProbeOf(void* data) {
    return *static_cast<Probe*>(data);
}

// Blocks as the probe says; records whether termination unwound it.
unsigned int Block(Thread* thread, void* data) {
    Probe& p = ProbeOf(data);
    p.waiting.set_value();
    try {
        PString name;
        if (p.wait == Wait::kEvent)
            thread->WaitForEvent(name);
        else if (p.wait == Wait::kSleep)
            thread->Sleep(kPatienceMs);
        else if (p.wait == Wait::kMutex)
            p.mutex->Acquire(thread);
        else
            while (!p.threw.load()) {
            }
    } catch (ThreadTerminateException&) {
        p.threw = true;
        throw;
    }
    return 1;
}

// A thread running `procedure` on `probe`, started unless `start` is false.
std::unique_ptr<Thread> Started(Probe& probe, ThreadProcedure procedure = &Block,
                                bool start = true) {
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    EXPECT_NE(thread, nullptr);
    if (thread) {
        thread->SetThreadProc(procedure);
        thread->SetThreadData(&probe);
        // A soft termination gives up in time instead of hanging the test.
        thread->SetDeadlockTimeout(kPatienceMs);
        EXPECT_TRUE(!start || thread->Execute());
    }
    return thread;
}

bool Waiting(Probe& probe) {
    std::future<void> waiting = probe.waiting.get_future();
    return Arrives(waiting);
}

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

unsigned int TakeOneThenTimeOut(Thread* self, void*) {
    PString name;
    self->WaitForEvent(name, kPatienceMs);
    self->WaitForEvent(name, 20);
    return 7;
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

// A soft termination unwinds every wait; a hard one kills a busy thread.
TEST(ThreadTest, TerminateInterruptsEveryWaitAndKillsABusyThread) {
    AMutex mutex;
    ASSERT_TRUE(mutex.Acquire(0u)); // held by the test's thread
    const struct {
        const char* name;
        Wait wait;
        bool hard;
    } rows[] = {
        {"WaitForEvent", Wait::kEvent, false},
        {"Sleep", Wait::kSleep, false},
        {"AMutex::Acquire", Wait::kMutex, false},
        {"busy", Wait::kBusy, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Probe probe;
        probe.mutex = &mutex;
        probe.wait = row.wait;
        std::unique_ptr<Thread> thread = Started(probe);
        ASSERT_TRUE(thread && Waiting(probe));
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it block
        Clock::time_point start = Clock::now();
        EXPECT_EQ(thread->Terminate(row.hard), !row.hard);
        EXPECT_LT(MillisecondsSince(start), row.hard ? 2000 : 5000);
        EXPECT_EQ(probe.threw, !row.hard);
        EXPECT_TRUE(thread->HasTerminated());
        EXPECT_FALSE(thread->IsExecuting());
        // The unwound procedure returned nothing; the killed one the mark.
        EXPECT_EQ(thread->GetReturnCode(), row.hard ? 0xFFFFFFFFu : 0u);
    }
    mutex.Release();
}

// Events queue only while the thread runs and arrive in order; what is left
// when it ends can be taken by name (case matters) once it has stopped.
TEST(ThreadTest, EventsArriveInOrderAndLeftoversAreTakenOnceStopped) {
    Probe probe;
    std::unique_ptr<Thread> thread = Started(
        probe,
        [](Thread* self, void* data) -> unsigned int {
            Probe& p = ProbeOf(data);
            PString name = "stale";
            p.timedOutEmpty = !self->WaitForEvent(name, 50) && name.empty();
            p.waiting.set_value();
            p.proceed.get_future().wait_for(kPatience);
            for (int i = 0; i < 3 && self->WaitForEvent(name, kPatienceMs); ++i)
                p.names.push_back(name);
            return 7;
        },
        false);
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(thread->SignalEvent("early"));
    EXPECT_FALSE(thread->AreQueuedEvents());
    ASSERT_TRUE(thread->Execute());
    EXPECT_FALSE(thread->Execute()); // already running
    EXPECT_FALSE(thread->SetThreadProc(&Block));
    EXPECT_FALSE(thread->SetThreadData(nullptr));
    ASSERT_TRUE(Waiting(probe));
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

TEST(ThreadTest, TerminateResumesASuspendedThreadAndItCanRunAgain) {
    Probe probe;
    std::unique_ptr<Thread> thread = Started(probe);
    ASSERT_TRUE(thread && Waiting(probe));
    EXPECT_TRUE(thread->Suspend());
    EXPECT_TRUE(thread->IsSuspended());
    EXPECT_TRUE(thread->Terminate(false));
    EXPECT_FALSE(thread->IsSuspended());
    EXPECT_TRUE(thread->HasTerminated());

    // A terminated thread starts afresh, with its termination cleared.
    probe.waiting = std::promise<void>();
    ASSERT_TRUE(thread->Execute());
    EXPECT_FALSE(thread->HasTerminated());
    ASSERT_TRUE(Waiting(probe));
    EXPECT_TRUE(thread->Terminate(false));
}

// Waits for a terminating thread end at once (a free mutex still wins), for a
// foreign thread always; a retrying lock gives up rather than spin.
TEST(ThreadTest, WaitsOnBehalfOfATerminatingOrForeignThreadGiveUp) {
    std::unique_ptr<Thread> ending(Thread::GetNewThread());
    ASSERT_NE(ending, nullptr);
    ending->Terminate(true); // not started: only its terminate event is signalled
    ForeignThread foreign;
    AMutex mutex;
    EXPECT_TRUE(mutex.Acquire(0u, ending.get()));
    mutex.Release();
    EXPECT_THROW(mutex.Acquire(0u, &foreign), ThreadTerminateException);
    std::unique_ptr<Event> event(Event::GetNewEvent());
    event->Signal();
    EXPECT_THROW(event->Wait(0, &foreign), ThreadTerminateException);
    Holder holder(mutex);
    for (Thread* thread : {ending.get(), static_cast<Thread*>(&foreign)}) {
        Clock::time_point start = Clock::now();
        EXPECT_THROW(mutex.Acquire(kPatienceMs, thread), ThreadTerminateException);
        EXPECT_THROW(AMutexLock(&mutex, thread, true), ThreadTerminateException);
        EXPECT_LT(MillisecondsSince(start), 2000);
    }
}

// The process survives and the kernel thread ends with the procedure's result.
TEST(ThreadDeletionTest, ProcedureMayDeleteItsOwnThread) {
    struct SelfDelete {
        HANDLE kernelThread = nullptr;
        HANDLE deleted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    } state;
    Thread* thread = Thread::GetNewThread();
    ASSERT_NE(nullptr, thread);
    thread->EnableLog(true);
    thread->SetThreadData(&state);
    thread->SetThreadProc([](Thread* self, void* data) -> unsigned int {
        auto& s = *static_cast<SelfDelete*>(data);
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(),
                        &s.kernelThread, SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0);
        delete self;
        SetEvent(s.deleted);
        return 42;
    });
    ASSERT_TRUE(thread->Execute());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.deleted, kPatienceMs));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.kernelThread, kPatienceMs));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(state.kernelThread, &code));
    EXPECT_EQ(42u, code);
    CloseHandle(state.kernelThread);
    CloseHandle(state.deleted);
}

// The ordinary course of a thread with its trace enabled, then termination
// with and without it: an uncaught termination is always traced.
TEST(ThreadTraceTest, TheCourseAndTerminationAreTraced) {
    const WIN32_LogMap* ring = OpenRing(); // left open: the process ends soon
    ASSERT_NE(ring, nullptr);
    const std::uint32_t start = ring->count;
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
        Probe probe;
        probe.wait = Wait::kEvent;
        std::unique_ptr<Thread> waiting = Started(probe, &Block, false);
        waiting->EnableLog(log);
        ASSERT_TRUE(waiting->Execute() && Waiting(probe));
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it block
        EXPECT_TRUE(waiting->Terminate(false));
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

namespace {

// Takes events until "stop", then returns 5; with Wait::kBusy it ignores
// termination and never waits. The probe lives outside: members may be gone.
class Worker : public AThread {
public:
    explicit Worker(Probe& probe) : probe_(probe) { SetDeadlockTimeout(kPatienceMs); }
    ~Worker() override { Terminate(false); }

protected:
    unsigned int Run() override {
        Probe& p = probe_;
        p.waiting.set_value();
        try {
            for (PString name; p.wait == Wait::kEvent && WaitForEvent(name);
                 p.names.push_back(name))
                if (name == "stop")
                    return 5;
            while (!p.threw.load()) {
            }
        } catch (ThreadTerminateException&) {
            p.threw = true;
            throw;
        }
        return 0;
    }

private:
    Probe& probe_;
};

} // namespace

TEST(AThreadTest, RunReceivesEventsAndItsResultIsTheReturnCode) {
    Probe probe;
    probe.wait = Wait::kEvent;
    Worker worker(probe);
    ASSERT_TRUE(worker.IsValid());
    ASSERT_TRUE(worker.Execute());
    for (const char* name : {"a", "b", "stop"})
        EXPECT_TRUE(worker.SignalEvent(name));
    ASSERT_TRUE(EventuallyTrue([&] { return worker.HasTerminated(); }));
    EXPECT_EQ(probe.names, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(worker.GetReturnCode(), 5u);
    EXPECT_FALSE(probe.threw);
}

// Destruction unwinds a Run blocked in WaitForEvent at once, and kills one
// that ignores termination after the deadlock timeout.
TEST(AThreadTest, DestructionUnwindsOrKillsTheRun) {
    for (bool spin : {false, true}) {
        SCOPED_TRACE(spin ? "spinning" : "waiting");
        Probe probe;
        probe.wait = spin ? Wait::kBusy : Wait::kEvent;
        Worker* worker = new Worker(probe);
        worker->SetDeadlockTimeout(spin ? 100 : kPatienceMs);
        ASSERT_TRUE(worker->Execute() && Waiting(probe));
        Clock::time_point start = Clock::now();
        delete worker;
        long long elapsed = MillisecondsSince(start);
        EXPECT_EQ(probe.threw, !spin);
        EXPECT_GE(elapsed, spin ? 80 : 0);
        EXPECT_LT(elapsed, 5000);
    }
}
