#include "foundation/platform/facade.h"

#include <REDudi/threads.h>

namespace REDudi {

namespace {

using Validity = facade::Shielded<facade::FullTest>;
using Waiting = facade::Forwarder<Validity, facade::SwallowAllButTermination>;
using Setting = facade::Forwarder<Validity, facade::SwallowAll>;

// A mutex is deleted only after this thread could take it within 500 ms, so
// a thread still inside it never finds its handle closed; otherwise it is
// left alive on purpose. An unusable mutex is never touched.
struct DeleteWhenFree {
    static void Destroy(Mutex*& mutex) {
        if (Validity::Test(mutex) && mutex->Acquire(500, nullptr))
            facade::DeleteGuarded::Destroy(mutex);
        mutex = nullptr;
    }
};

} // namespace

AMutex::AMutex() : mutex_(nullptr) {
    try {
        mutex_ = Mutex::GetNewMutex();
    } catch (...) {
        mutex_ = nullptr;
    }
}

// A copy shares the source's mutex, just as assignment does, so that both
// lock the same thing and it is destroyed once, by the last of them.
AMutex::AMutex(const AMutex& other) : mutex_(nullptr) {
    facade::ShareFrom<DeleteWhenFree>(mutex_, other.mutex_);
}

AMutex::~AMutex() {
    try {
        facade::ReleaseShared<DeleteWhenFree>(mutex_);
    } catch (...) {
        mutex_ = nullptr;
    }
}

AMutex& AMutex::operator=(const AMutex& other) {
    try {
        facade::ShareFrom<DeleteWhenFree>(mutex_, other.mutex_);
    } catch (...) {
        mutex_ = other.mutex_;
    }
    return *this;
}

bool AMutex::IsValid() {
    return Validity::Test(mutex_);
}

void AMutex::Acquire(Thread* thread) {
    Waiting::Call(mutex_, [thread](Mutex* m) { m->Acquire(thread); });
}

bool AMutex::Acquire(unsigned int timeout, Thread* thread) {
    return Waiting::Call(mutex_, [=](Mutex* m) { return m->Acquire(timeout, thread); });
}

void AMutex::Release() {
    Waiting::Call(mutex_, [](Mutex* m) { m->Release(); });
}

void AMutex::SetDeadLockTimeout(unsigned int timeout) {
    Setting::Call(mutex_, [timeout](Mutex* m) { m->SetDeadLockTimeout(timeout); });
}

} // namespace REDudi
