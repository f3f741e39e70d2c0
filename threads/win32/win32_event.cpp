#include "threads/win32/win32_event.h"

#include "threads/win32/terminate_handle.h"

namespace REDudi {

namespace {

// What an untimed wait on behalf of a thread answers when the deadlock
// timeout runs out: an event throws, a guard reports false.
enum class OnDeadlock { Throw, ReturnFalse };

void CloseIfOpen(HANDLE handle) {
    if (handle != nullptr)
        CloseHandle(handle);
}

// The timed wait, shared by both kinds of event.
bool TimedWait(HANDLE event, unsigned int timeout, Thread* thread) {
    if (event == nullptr)
        throw ThreadTerminateException();
    if (thread == nullptr)
        return WaitForSingleObject(event, timeout) != WAIT_TIMEOUT;
    HANDLE handles[2] = {event, TerminateHandleOf(thread)};
    switch (WaitForMultipleObjects(2, handles, FALSE, timeout)) {
    case WAIT_OBJECT_0:
        return true;
    case WAIT_TIMEOUT:
        return false;
    default: // the terminate event, abandoned results, or a failed wait
        throw ThreadTerminateException();
    }
}

// The untimed wait, bounded by the deadlock timeout.
bool UntimedWait(HANDLE event, unsigned int deadLockTimeout, Thread* thread,
                 OnDeadlock onDeadlock) {
    if (event == nullptr)
        throw ThreadTerminateException();
    if (thread == nullptr) {
        if (WaitForSingleObject(event, deadLockTimeout) == WAIT_TIMEOUT)
            throw ThreadTerminateException();
        return true;
    }
    if (TimedWait(event, deadLockTimeout, thread))
        return true;
    if (onDeadlock == OnDeadlock::ReturnFalse)
        return false;
    throw ThreadTerminateException();
}

} // namespace

Event* Event::GetNewEvent() {
    return new WIN32_Event;
}

WIN32_Event::WIN32_Event() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

WIN32_Event::~WIN32_Event() {
    CloseIfOpen(handle_);
}

void WIN32_Event::Reset() {
    if (IsValid())
        ResetEvent(handle_);
}

void WIN32_Event::Signal() {
    if (IsValid())
        SetEvent(handle_);
}

bool WIN32_Event::IsValid() {
    return handle_ != nullptr;
}

bool WIN32_Event::Wait(Thread* thread) {
    return UntimedWait(handle_, deadLockTimeout_, thread, OnDeadlock::Throw);
}

bool WIN32_Event::Wait(unsigned int timeout, Thread* thread) {
    return TimedWait(handle_, timeout, thread);
}

Guard* Guard::GetNewGuard() {
    return new WIN32_Guard;
}

WIN32_Guard::WIN32_Guard() : handle_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

WIN32_Guard::~WIN32_Guard() {
    CloseIfOpen(handle_);
}

void WIN32_Guard::Reset() {
    if (IsValid())
        ResetEvent(handle_);
}

void WIN32_Guard::Signal() {
    if (IsValid())
        SetEvent(handle_);
}

bool WIN32_Guard::IsValid() {
    return handle_ != nullptr;
}

bool WIN32_Guard::Wait(Thread* thread) {
    return UntimedWait(handle_, deadLockTimeout_, thread, OnDeadlock::ReturnFalse);
}

bool WIN32_Guard::Wait(unsigned int timeout, Thread* thread) {
    return TimedWait(handle_, timeout, thread);
}

} // namespace REDudi
