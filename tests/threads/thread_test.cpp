// Threads with event queues: start, events, termination soft and hard, and
// waits of other objects made on a thread's behalf.
#include "thread_test_support.h"

#include <memory>
#include <vector>

using namespace REDudi;
using namespace threads_test;

namespace {

// What a test procedure reports back; it lives on the test's stack.
struct Probe {
    std::promise<void> waiting;     // set just before the blocking call
    std::promise<void> proceed;     // lets a procedure go on
    std::atomic<bool> threw{false}; // the blocking call threw termination
    std::atomic<bool> stop{false};  // ends a busy procedure
    std::vector<std::string> names; // events taken, in order
    bool timedOutEmpty = false;     // the last timed wait: false with ""
    AMutex* mutex = nullptr;
};

Probe& ProbeOf(void* data) {
    return *static_cast<Probe*>(data);
}

// A thread running `procedure` on `probe`, started unless `start` is false.
std::unique_ptr<Thread> Started(ThreadProcedure procedure, Probe& probe, bool start = true) {
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

// Reports that it is about to block in `wait`, and whether termination
// unwound it.
template <class Wait>
unsigned int BlockIn(Thread* thread, void* data, Wait wait) {
    ProbeOf(data).waiting.set_value();
    try {
        wait(thread, ProbeOf(data));
    } catch (ThreadTerminateException&) {
        ProbeOf(data).threw = true;
        throw;
    }
    return 1;
}

unsigned int WaitForEventForever(Thread* thread, void* data) {
    return BlockIn(thread, data, [](Thread* t, Probe&) {
        PString name;
        t->WaitForEvent(name);
    });
}

unsigned int SleepLong(Thread* thread, void* data) {
    return BlockIn(thread, data, [](Thread* t, Probe&) { t->Sleep(kPatienceMs); });
}

unsigned int AcquireHeldMutex(Thread* thread, void* data) {
    return BlockIn(thread, data, [](Thread* t, Probe& p) { p.mutex->Acquire(t); });
}

unsigned int Spin(Thread*, void* data) {
    ProbeOf(data).waiting.set_value();
    while (!ProbeOf(data).stop.load()) {
    }
    return 1;
}

} // namespace

TEST(ThreadTest, TerminateInterruptsEveryWait) {
    AMutex mutex;
    ASSERT_TRUE(mutex.Acquire(0u)); // held by the test's thread
    const std::pair<const char*, ThreadProcedure> rows[] = {
        {"WaitForEvent", &WaitForEventForever},
        {"Sleep", &SleepLong},
        {"AMutex::Acquire", &AcquireHeldMutex},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        Probe probe;
        probe.mutex = &mutex;
        std::unique_ptr<Thread> thread = Started(row.second, probe);
        ASSERT_TRUE(thread && Waiting(probe));
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it block
        Clock::time_point start = Clock::now();
        EXPECT_TRUE(thread->Terminate(false));
        EXPECT_LT(MillisecondsSince(start), 5000);
        EXPECT_TRUE(probe.threw);
        EXPECT_TRUE(thread->HasTerminated());
        EXPECT_FALSE(thread->IsExecuting());
        EXPECT_EQ(thread->GetReturnCode(), 0u); // the unwound procedure returned nothing
    }
    mutex.Release();
}

TEST(ThreadTest, HardTerminateKillsABusyThread) {
    Probe probe;
    std::unique_ptr<Thread> thread = Started(&Spin, probe);
    ASSERT_TRUE(thread && Waiting(probe));
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(thread->Terminate(true));
    EXPECT_LT(MillisecondsSince(start), 2000);
    EXPECT_EQ(thread->GetReturnCode(), 0xFFFFFFFFu);
    EXPECT_TRUE(thread->HasTerminated());
    EXPECT_FALSE(thread->IsExecuting());
}

TEST(ThreadTest, EventsArriveInOrderAndOnlyWhileExecuting) {
    Probe probe;
    std::unique_ptr<Thread> thread = Started(
        [](Thread* self, void* data) -> unsigned int {
            Probe& p = ProbeOf(data);
            p.proceed.get_future().wait_for(kPatience);
            PString name;
            for (int i = 0; i < 3 && self->WaitForEvent(name, kPatienceMs); ++i)
                p.names.push_back(name);
            name = "stale";
            p.timedOutEmpty = !self->WaitForEvent(name, 50) && name.empty();
            return 7;
        },
        probe, false);
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(thread->SignalEvent("early"));
    EXPECT_FALSE(thread->AreQueuedEvents());
    ASSERT_TRUE(thread->Execute());
    EXPECT_FALSE(thread->Execute()); // already running
    EXPECT_FALSE(thread->SetThreadProc(&SleepLong));
    EXPECT_FALSE(thread->SetThreadData(nullptr));
    for (const char* name : {"one", "two", "three"})
        EXPECT_TRUE(thread->SignalEvent(name));
    EXPECT_TRUE(thread->AreQueuedEvents());
    probe.proceed.set_value();

    ASSERT_TRUE(EventuallyTrue([&] { return thread->HasTerminated(); }));
    EXPECT_EQ(probe.names, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_TRUE(probe.timedOutEmpty);
    EXPECT_EQ(thread->GetReturnCode(), 7u);
    EXPECT_FALSE(thread->SignalEvent("late"));
}

TEST(ThreadTest, GetEventTakesLeftoverEventsOnlyOnceStopped) {
    Probe probe;
    std::unique_ptr<Thread> thread = Started(
        [](Thread*, void* data) -> unsigned int {
            ProbeOf(data).proceed.get_future().wait_for(kPatience);
            return 0;
        },
        probe);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->SignalEvent("Job"));
    EXPECT_TRUE(thread->SignalEvent("Job"));
    EXPECT_FALSE(thread->GetEvent("Job")); // running
    probe.proceed.set_value();
    ASSERT_TRUE(EventuallyTrue([&] { return thread->HasTerminated(); }));

    EXPECT_FALSE(thread->GetEvent("job")); // case matters
    EXPECT_TRUE(thread->GetEvent("Job"));
    EXPECT_TRUE(thread->AreQueuedEvents());
    EXPECT_TRUE(thread->GetEvent("Job"));
    EXPECT_FALSE(thread->GetEvent("Job"));
    EXPECT_FALSE(thread->AreQueuedEvents());
}

TEST(ThreadTest, TerminateResumesASuspendedThreadAndItCanRunAgain) {
    Probe probe;
    std::unique_ptr<Thread> thread = Started(&SleepLong, probe);
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

TEST(ThreadTest, MutexAcquisitionOnBehalfOfATerminatingThread) {
    std::unique_ptr<Thread> thread(Thread::GetNewThread());
    ASSERT_NE(thread, nullptr);
    thread->Terminate(true); // not started: only its terminate event is signalled
    AMutex mutex;
    // A free mutex wins over the signalled terminate event.
    EXPECT_TRUE(mutex.Acquire(0u, thread.get()));
    mutex.Release();
    Holder holder(mutex);
    Clock::time_point start = Clock::now();
    EXPECT_THROW(mutex.Acquire(kPatienceMs, thread.get()), ThreadTerminateException);
    // A retrying lock gives up rather than spinning on a terminating thread.
    EXPECT_THROW(AMutexLock(&mutex, thread.get(), true), ThreadTerminateException);
    EXPECT_LT(MillisecondsSince(start), 2000);
}

namespace {

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

TEST(ThreadTest, WaitsRefuseAThreadThatIsNotAWindowsThread) {
    ForeignThread foreign;
    AMutex mutex;
    EXPECT_THROW(mutex.Acquire(0u, &foreign), ThreadTerminateException);
    EXPECT_THROW(AMutexLock(&mutex, &foreign, true), ThreadTerminateException);
    std::unique_ptr<Event> event(Event::GetNewEvent());
    event->Signal();
    EXPECT_THROW(event->Wait(0, &foreign), ThreadTerminateException);
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
