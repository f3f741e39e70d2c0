// Outside Windows the mutex is a standard recursive timed mutex, so that the
// portable classes built on it can be run and tested natively. There are no
// interruptible threads here: a wait given a thread is refused.
#include "threads/retry_policy.h"

#include <REDudi/threads.h>

#include <chrono>
#include <mutex>

namespace REDudi {

namespace {

class StdMutex : public Mutex {
public:
    bool IsValid() override { return true; }

    bool Acquire(unsigned int timeout, Thread* thread) override {
        if (thread != nullptr)
            throw ThreadTerminateException();
        if (timeout == 0xFFFFFFFF) {
            mutex_.lock();
            return true;
        }
        return mutex_.try_lock_for(std::chrono::milliseconds(timeout));
    }

    void Acquire(Thread* thread) override {
        if (!Acquire(deadLockTimeout_, thread))
            throw ThreadTerminateException();
    }

    void Release() override { mutex_.unlock(); }

private:
    std::recursive_timed_mutex mutex_;
};

} // namespace

Mutex* Mutex::GetNewMutex() {
    return new StdMutex;
}

bool StopRetrying(Thread* thread) {
    return thread != nullptr;
}

} // namespace REDudi
