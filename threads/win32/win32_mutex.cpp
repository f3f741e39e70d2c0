#include "threads/win32/win32_mutex.h"

#include "threads/win32/terminate_handle.h"

namespace REDudi {

namespace {

const DWORD kNoOwner = static_cast<DWORD>(-1);

// Waits on the mutex and the thread's terminate event; the mutex is first so
// that it wins when both are signalled. Returns false on a timeout.
bool WaitWithThread(HANDLE mutex, Thread* thread, DWORD timeout) {
    HANDLE handles[2] = {mutex, TerminateHandleOf(thread)};
    DWORD result = WaitForMultipleObjects(2, handles, FALSE, timeout);
    switch (result) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED_0:
    case WAIT_ABANDONED_0 + 1:
        return true;
    case WAIT_TIMEOUT:
        return false;
    default: // the terminate event, or a failed wait
        throw ThreadTerminateException();
    }
}

} // namespace

Mutex* Mutex::GetNewMutex() {
    Mutex* mutex = new WIN32_Mutex;
    if (mutex->IsValid())
        return mutex;
    // Nobody else could ever use an object without its kernel mutex.
    delete mutex;
    return nullptr;
}

WIN32_Mutex::WIN32_Mutex() : owner_(kNoOwner), handle_(CreateMutexA(nullptr, FALSE, nullptr)) {}

WIN32_Mutex::~WIN32_Mutex() {
    if (handle_ != nullptr)
        CloseHandle(handle_);
}

bool WIN32_Mutex::IsValid() {
    return handle_ != nullptr;
}

bool WIN32_Mutex::Acquire(unsigned int timeout, Thread* thread) {
    if (!IsValid())
        throw ThreadTerminateException();
    if (thread != nullptr)
        return WaitWithThread(handle_, thread, timeout);
    DWORD result = WaitForSingleObject(handle_, timeout);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED)
        return false;
    // Signalled or abandoned: either way this thread now owns the mutex.
    owner_ = GetCurrentThreadId();
    return true;
}

void WIN32_Mutex::Acquire(Thread* thread) {
    if (!IsValid())
        throw ThreadTerminateException();
    if (thread != nullptr) {
        if (!WaitWithThread(handle_, thread, deadLockTimeout_))
            throw ThreadTerminateException();
        return;
    }
    DWORD result = WaitForSingleObject(handle_, deadLockTimeout_);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED)
        throw ThreadTerminateException();
    owner_ = GetCurrentThreadId();
}

void WIN32_Mutex::Release() {
    if (!IsValid())
        throw ThreadTerminateException();
    owner_ = kNoOwner;
    ReleaseMutex(handle_);
}

} // namespace REDudi
