#include "threads/retry_policy.h"

#include <REDudi/threads.h>

namespace REDudi {

// A retrying lock keeps trying after a deadlock timeout, but gives up (and
// lets the exception pass) when trying again cannot succeed: the mutex is
// unusable, or the thread it waits for is being terminated. Retrying then
// would only spin until the thread is killed.
MutexLock::MutexLock(Mutex* mutex, bool retry) : mutex_(mutex) {
    for (;;) {
        try {
            mutex_->Acquire(nullptr);
            return;
        } catch (ThreadTerminateException&) {
            if (!retry || !mutex_->IsValid())
                throw;
        }
    }
}

MutexLock::~MutexLock() noexcept(false) {
    mutex_->Release();
}

AMutexLock::AMutexLock(AMutex* mutex, bool retry)
    : mutex_(mutex), thread_(nullptr), detached_(false) {
    Lock(retry);
}

AMutexLock::AMutexLock(AMutex* mutex, Thread* thread, bool retry)
    : mutex_(mutex), thread_(thread), detached_(false) {
    Lock(retry);
}

void AMutexLock::Lock(bool retry) {
    for (;;) {
        try {
            mutex_->Acquire(thread_);
            return;
        } catch (ThreadTerminateException&) {
            if (!retry || StopRetrying(thread_))
                throw;
        }
    }
}

AMutexLock::~AMutexLock() noexcept(false) {
    if (!detached_)
        mutex_->Release();
}

void AMutexLock::Detach() {
    detached_ = true;
}

} // namespace REDudi
