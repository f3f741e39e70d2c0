#include "threads/win32/win32_thread.h"

#include <REDudi/logging.h>

#include <process.h>

namespace REDudi {

namespace {

const unsigned char kError = 0;
const unsigned char kWarning = 1;
const unsigned char kCourse = 3;
const unsigned int kKilledReturnCode = 0xFFFFFFFF;
const DWORD kHardTerminateWait = 10;
// A thread whose procedure has returned only writes its last trace line
// (a writer gives up on the log after 1000 ms) and ends by itself. It is
// given this long instead of being killed in the middle of leaving, where
// it may hold the runtime's or the loader's locks.
const DWORD kFinishingWait = 5000;

} // namespace

Thread* Thread::GetNewThread() {
    Thread* thread = new WIN32_Thread;
    if (thread->IsValid())
        return thread;
    // Without its events or its logger the thread could never run.
    delete thread;
    return nullptr;
}

WIN32_Thread::WIN32_Thread()
    : thread_(nullptr), threadId_(0), terminateEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      queueEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&guard_);
}

namespace {
// The object whose procedure runs on this thread, cleared when the procedure
// deletes that object: the wrapper then must not touch it again.
thread_local WIN32_Thread* t_running = nullptr;
} // namespace

WIN32_Thread::~WIN32_Thread() {
    // Deleted from its own procedure: the request to stop is made but not
    // waited for (a thread cannot wait for its own end, nor be killed by its
    // own destructor); the handles close, and the procedure's thread ends
    // when the procedure returns, with the procedure's result as exit code.
    if (t_running == this)
        t_running = nullptr;
    // The thread is stopped before the guard is taken: a thread just
    // finishing needs the guard for its last steps, and should end by itself
    // rather than be killed while it holds other locks.
    Terminate(true);
    EnterGuard();
    if (thread_ != nullptr)
        CloseHandle(thread_);
    if (terminateEvent_ != nullptr)
        CloseHandle(terminateEvent_);
    if (queueEvent_ != nullptr)
        CloseHandle(queueEvent_);
    thread_ = terminateEvent_ = queueEvent_ = nullptr;
    LeaveGuard();
    DeleteCriticalSection(&guard_);
}

void WIN32_Thread::EnterGuard() {
    EnterCriticalSection(&guard_);
}

void WIN32_Thread::LeaveGuard() {
    LeaveCriticalSection(&guard_);
}

bool WIN32_Thread::IsValid() {
    return terminateEvent_ != nullptr && queueEvent_ != nullptr && logger_ != nullptr &&
           logger_->IsValid();
}

bool WIN32_Thread::Execute() {
    enum { Refused, Failed, Started } outcome;
    {
        GuardObject guard(this);
        if (procedure_ == nullptr || executing_ || !IsValid()) {
            outcome = Refused;
        } else {
            terminateRequested_ = false;
            if (thread_ != nullptr) {
                // The previous run may still be writing its last trace line
                // through this object; it must be gone before a new run can
                // lead to the object's destruction.
                WaitForSingleObject(thread_, kFinishingWait);
                CloseHandle(thread_);
            }
            queue_.clear();
            ResetEvent(queueEvent_);
            ResetEvent(terminateEvent_);
            executing_ = true;
            terminated_ = false;
            thread_ = reinterpret_cast<HANDLE>(
                _beginthreadex(nullptr, 0, &WIN32_Thread::ThreadWrapper, this, 0, &threadId_));
            if (thread_ == nullptr)
                executing_ = false;
            outcome = thread_ != nullptr ? Started : Failed;
        }
    }
    if (Tracing()) {
        if (outcome == Started)
            logger_->ClassTrace("Execute", kCourse, "Started thread Executing.");
        else if (outcome == Failed)
            logger_->ClassTrace("Execute", kError, "Failed to allocate the thread.");
        else
            logger_->ClassTrace(
                "Execute", kWarning,
                "Could not start thread because it is already running or is not valid.");
    }
    return outcome == Started;
}

unsigned int __stdcall WIN32_Thread::ThreadWrapper(void* argument) {
    WIN32_Thread* self = static_cast<WIN32_Thread*>(argument);
    t_running = self;
    if (self->Tracing())
        self->logger_->ClassTrace("ThreadWrapper", kCourse, "Started thread Executing.");
    bool returned = false;
    unsigned int result = 0;
    try {
        result = self->procedure_(self, self->data_);
        returned = true;
    } catch (ThreadTerminateException&) {
        if (t_running == self)
            self->logger_->ClassTrace("ThreadWrapper", kError,
                                      "Uncaught Exception Thread Termination Exception.");
    } catch (...) {
        if (t_running == self)
            self->logger_->ClassTrace("ThreadWrapper", kError, "ERROR - Uncaught Exception");
    }
    if (t_running != self)
        return result; // the procedure deleted its own object
    t_running = nullptr;
    unsigned int returnCode;
    {
        GuardObject guard(self);
        if (returned)
            self->returnCode_ = result;
        self->executing_ = false;
        self->terminateRequested_ = true;
        self->terminated_ = true;
        returnCode = self->returnCode_;
    }
    if (self->Tracing())
        self->logger_->ClassTrace("ThreadWrapper", kCourse,
                                  "Thread has terminated with a code of %lu.",
                                  static_cast<unsigned long>(returnCode));
    return returnCode;
}

bool WIN32_Thread::Terminate(bool hard) {
    bool suspended;
    bool finishing;
    {
        GuardObject guard(this);
        terminateRequested_ = true;
        suspended = suspended_;
        finishing = !executing_;
    }
    if (suspended)
        Resume();
    if (Tracing())
        logger_->ClassTrace("Terminate", kCourse, "Terminating thread.");
    if (terminateEvent_ != nullptr)
        SetEvent(terminateEvent_);
    if (queueEvent_ != nullptr)
        SetEvent(queueEvent_);

    HANDLE thread;
    {
        GuardObject guard(this);
        thread = thread_;
    }
    // A thread asking itself to stop cannot wait for its own end: the request
    // is made, and its next wait unwinds it.
    if (thread != nullptr && GetCurrentThreadId() == threadId_)
        return false;
    DWORD waited = WAIT_OBJECT_0;
    if (thread != nullptr) {
        DWORD limit = hard ? kHardTerminateWait : deadlockTimeout_;
        if (finishing && limit < kFinishingWait)
            limit = kFinishingWait;
        waited = WaitForSingleObject(thread, limit);
    }

    GuardObject guard(this);
    if (waited == WAIT_TIMEOUT) {
        if (Tracing())
            logger_->ClassTrace("Terminate", kError, "Hard Terminate.");
        TerminateThread(thread, 0);
        // The kill completes asynchronously; the object must not be freed
        // while the thread might still run.
        WaitForSingleObject(thread, 1000);
        returnCode_ = kKilledReturnCode;
        executing_ = false;
        terminated_ = true;
        return false;
    }
    executing_ = false;
    terminated_ = true;
    return true;
}

bool WIN32_Thread::Suspend() {
    GuardObject guard(this);
    if (thread_ != nullptr)
        SuspendThread(thread_);
    suspended_ = true;
    return true;
}

bool WIN32_Thread::Resume() {
    GuardObject guard(this);
    if (thread_ != nullptr)
        ResumeThread(thread_);
    suspended_ = false;
    return true;
}

void WIN32_Thread::Sleep(unsigned int ms) {
    if (terminateEvent_ != nullptr)
        WaitForSingleObject(terminateEvent_, ms);
    GuardObject guard(this);
    if (terminateRequested_)
        throw ThreadTerminateException();
}

bool WIN32_Thread::SignalEvent(PString name) {
    GuardObject guard(this);
    if (!executing_ || !IsValid())
        return false;
    if (Tracing())
        logger_->ClassTrace("SignalEvent", kCourse, "%s was signaled.", name.c_str());
    queue_.push_back(name);
    SetEvent(queueEvent_);
    return true;
}

void WIN32_Thread::TakeEvent(PString& name, const char* terminatingTrace) {
    {
        GuardObject guard(this);
        if (queue_.empty() || terminateRequested_) {
            if (Tracing())
                logger_->ClassTrace("WaitForEvent", kCourse, terminatingTrace);
            throw ThreadTerminateException();
        }
        name = queue_.front();
        queue_.pop_front();
        if (queue_.empty() && !terminateRequested_)
            ResetEvent(queueEvent_);
    }
    if (Tracing())
        logger_->ClassTrace("WaitForEvent", kCourse, "Found Event %s.", name.c_str());
}

bool WIN32_Thread::WaitForEvent(PString& name, unsigned int ms) {
    name = "";
    if (Tracing())
        logger_->ClassTrace("WaitForEvent", kCourse, "Wait for an Event for %ulms.", ms);
    if (WaitForSingleObject(queueEvent_, ms) == WAIT_TIMEOUT) {
        if (Tracing())
            logger_->ClassTrace("WaitForEvent", kCourse, "Event did not occur in %ulms.", ms);
        return false;
    }
    TakeEvent(name, "Terminating thread becuase of terminate or empty queue.");
    return true;
}

bool WIN32_Thread::WaitForEvent(PString& name) {
    name = "";
    if (Tracing())
        logger_->ClassTrace("WaitForEvent", kCourse, "Waiting for Event.");
    WaitForSingleObject(queueEvent_, INFINITE);
    TakeEvent(name, "Terminating thread because of terminate or empty queue.");
    return true;
}

} // namespace REDudi
