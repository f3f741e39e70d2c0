#include <REDudi/threads.h>

namespace REDudi {

static_assert(sizeof(AMRSWMutex) == 2 * sizeof(void*),
              "an AMRSWMutex holds a table pointer and its lock");

// This facade tests only that it has a lock and forwards everything else
// unguarded: its operations throw nothing of their own.
AMRSWMutex::AMRSWMutex(const PString& name) : mutex_(MRSWMutex::GetNewMRSWMutex()) {
    if (mutex_ != nullptr && !mutex_->Initialize(name)) {
        delete mutex_;
        mutex_ = nullptr;
    }
}

AMRSWMutex::~AMRSWMutex() {
    delete mutex_;
}

bool AMRSWMutex::IsValid() {
    return mutex_ != nullptr && mutex_->IsValid();
}

bool AMRSWMutex::AcquireShared() {
    return IsValid() && mutex_->AcquireShared();
}

bool AMRSWMutex::AcquireShared(unsigned int timeout) {
    return IsValid() && mutex_->AcquireShared(timeout);
}

void AMRSWMutex::ReleaseShared() {
    if (IsValid())
        mutex_->ReleaseShared();
}

bool AMRSWMutex::AcquireExclusive() {
    return IsValid() && mutex_->AcquireExclusive();
}

bool AMRSWMutex::AcquireExclusive(unsigned int timeout) {
    return IsValid() && mutex_->AcquireExclusive(timeout);
}

void AMRSWMutex::ReleaseExclusive() {
    if (IsValid())
        mutex_->ReleaseExclusive();
}

} // namespace REDudi
