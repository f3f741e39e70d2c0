#include <REDudi/threads.h>

namespace REDudi {

AThread::AThread() : thread_(Thread::GetNewThread()) {
    if (thread_ != nullptr) {
        thread_->SetThreadData(this);
        thread_->SetThreadProc(&AThread::ThreadBootStrap);
    }
}

AThread::AThread(const AThread&) : thread_(nullptr) {}

AThread& AThread::operator=(AThread&) {
    return *this;
}

AThread::~AThread() {
    if (thread_ == nullptr)
        return;
    try {
        thread_->Terminate(false);
    } catch (...) {
    }
    try {
        delete thread_;
    } catch (...) {
    }
    thread_ = nullptr;
}

unsigned int AThread::ThreadBootStrap(Thread*, void* data) {
    return static_cast<AThread*>(data)->Run();
}

bool AThread::IsValid() const {
    return thread_ != nullptr && thread_->IsValid();
}

bool AThread::SignalEvent(PString name) {
    return thread_->SignalEvent(name);
}

bool AThread::WaitForEvent(PString& name, unsigned int ms) {
    return thread_->WaitForEvent(name, ms);
}

bool AThread::WaitForEvent(PString& name) {
    return thread_->WaitForEvent(name);
}

bool AThread::GetEvent(PString name) {
    return thread_->GetEvent(name);
}

bool AThread::AreQueuedEvents() {
    return thread_->AreQueuedEvents();
}

void AThread::SetDeadlockTimeout(unsigned int timeout) {
    thread_->SetDeadlockTimeout(timeout);
}

bool AThread::Execute() {
    return thread_->Execute();
}

bool AThread::Suspend() {
    return thread_->Suspend();
}

bool AThread::Resume() {
    return thread_->Resume();
}

bool AThread::Terminate(bool hard) {
    return thread_->Terminate(hard);
}

bool AThread::IsExecuting() {
    return thread_->IsExecuting();
}

bool AThread::IsSuspended() {
    return thread_->IsSuspended();
}

bool AThread::HasTerminated() {
    return thread_->HasTerminated();
}

unsigned int AThread::GetReturnCode() {
    return thread_->GetReturnCode();
}

void AThread::Sleep(unsigned int ms) {
    thread_->Sleep(ms);
}

} // namespace REDudi
