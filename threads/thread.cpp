#include <REDudi/logging.h>
#include <REDudi/threads.h>

#include <algorithm>

namespace REDudi {

Thread::Thread()
    : procedure_(nullptr), terminateRequested_(false), suspended_(false), data_(nullptr),
      executing_(false), terminated_(false), returnCode_(0), deadlockTimeout_(0xFFFFFFFF),
      logger_(Logger::GetNewLogger()), logEnabled_(false) {
    if (logger_ != nullptr)
        logger_->SetClass("Thread");
}

Thread::~Thread() {
    delete logger_;
    queue_.clear();
}

Thread::GuardObject::GuardObject(Thread* thread) : thread_(thread) {
    thread_->EnterGuard();
}

Thread::GuardObject::~GuardObject() {
    thread_->LeaveGuard();
}

bool Thread::GetEvent(PString name) {
    GuardObject guard(this);
    if (executing_ && IsValid())
        return false;
    // Same length and same bytes: case matters.
    auto found = std::find_if(queue_.begin(), queue_.end(), [&name](const PString& queued) {
        return queued.size() == name.size() && queued.compare(name) == 0;
    });
    if (found == queue_.end()) {
        if (logEnabled_)
            logger_->ClassTrace("GetEvent", "Event is not present.");
        return false;
    }
    if (logEnabled_)
        logger_->ClassTrace("GetEvent", "Event is present.");
    queue_.erase(found);
    return true;
}

bool Thread::AreQueuedEvents() {
    GuardObject guard(this);
    return !queue_.empty();
}

void Thread::SetDeadlockTimeout(unsigned int timeout) {
    GuardObject guard(this);
    deadlockTimeout_ = timeout;
}

bool Thread::SetThreadData(void* data) {
    GuardObject guard(this);
    if (executing_)
        return false;
    data_ = data;
    return true;
}

bool Thread::SetThreadProc(ThreadProcedure procedure) {
    GuardObject guard(this);
    if (executing_)
        return false;
    procedure_ = procedure;
    return true;
}

bool Thread::IsExecuting() {
    GuardObject guard(this);
    return executing_;
}

bool Thread::IsSuspended() {
    GuardObject guard(this);
    return suspended_;
}

bool Thread::HasTerminated() {
    GuardObject guard(this);
    return terminated_;
}

unsigned int Thread::GetReturnCode() {
    GuardObject guard(this);
    return returnCode_;
}

void Thread::EnableLog(bool enable) {
    GuardObject guard(this);
    logEnabled_ = enable;
}

} // namespace REDudi
