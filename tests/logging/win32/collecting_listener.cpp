#include "win32/collecting_listener.h"

#include <cstring>

namespace REDudi {
namespace testing {

CollectingListener::CollectingListener(std::string className) : className_(std::move(className)) {
    InitializeCriticalSection(&lock_);
    arrived_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    blocked_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CollectingListener::~CollectingListener() {
    CloseHandle(arrived_);
    CloseHandle(blocked_);
    CloseHandle(release_);
    DeleteCriticalSection(&lock_);
}

void CollectingListener::OnLogEntry(ALogEntry* entry) {
    Received received{std::string(entry->className, strnlen(entry->className, 64)),
                      std::string(entry->message, strnlen(entry->message, 512))};
    bool own = received.className == className_;
    EnterCriticalSection(&lock_);
    all_.push_back(received);
    if (own)
        ++own_;
    bool block = own && !blockAt_.empty() && received.message == blockAt_;
    LeaveCriticalSection(&lock_);
    SetEvent(arrived_);
    if (block) {
        SetEvent(blocked_);
        WaitForSingleObject(release_, 20000);
    }
}

void CollectingListener::BlockAt(const std::string& message) {
    EnterCriticalSection(&lock_);
    blockAt_ = message;
    LeaveCriticalSection(&lock_);
}

bool CollectingListener::WaitUntilBlocked(DWORD timeout) {
    return WaitForSingleObject(blocked_, timeout) == WAIT_OBJECT_0;
}

void CollectingListener::Release() {
    SetEvent(release_);
}

template <class Done> bool CollectingListener::WaitUntil(Done done, DWORD timeout) {
    DWORD deadline = GetTickCount() + timeout;
    for (;;) {
        EnterCriticalSection(&lock_);
        bool finished = done();
        LeaveCriticalSection(&lock_);
        if (finished)
            return true;
        DWORD now = GetTickCount();
        if (static_cast<LONG>(deadline - now) <= 0)
            return false;
        WaitForSingleObject(arrived_, deadline - now);
    }
}

bool CollectingListener::WaitForOwn(std::size_t count, DWORD timeout) {
    return WaitUntil([&] { return own_ >= count; }, timeout);
}

bool CollectingListener::WaitForOwnMessage(const std::string& message, DWORD timeout) {
    return WaitUntil(
        [&] {
            for (const Received& received : all_)
                if (received.className == className_ && received.message == message)
                    return true;
            return false;
        },
        timeout);
}

std::vector<std::string> CollectingListener::OwnMessages() {
    std::vector<std::string> messages;
    EnterCriticalSection(&lock_);
    for (const Received& received : all_)
        if (received.className == className_)
            messages.push_back(received.message);
    LeaveCriticalSection(&lock_);
    return messages;
}

std::vector<Received> CollectingListener::All() {
    EnterCriticalSection(&lock_);
    std::vector<Received> copy = all_;
    LeaveCriticalSection(&lock_);
    return copy;
}

} // namespace testing
} // namespace REDudi
