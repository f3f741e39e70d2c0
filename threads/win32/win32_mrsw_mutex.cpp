#include "threads/win32/win32_mrsw_mutex.h"

#include <string>

namespace REDudi {

namespace {

const char kMutexPrefix[] = "QV_MRSW_INTERNAL_MUTEX__";
const char kEventPrefix[] = "QV_MRSW_INTERNAL_EVENT__";
const char kSemaphorePrefix[] = "QV_MRSW_INTERNAL_SEMAPHORE__";

const LONG kMaxReaders = 0x7FFFFFFF;
const unsigned int kSharedPatience = 3000;
const unsigned int kExclusivePatience = 5000;

// Kernel object names are shorter than MAX_PATH characters; a longer one is
// refused here so that every system fails it the same way.
bool ObjectName(const char* prefix, const PString& name, std::string& full) {
    full = prefix;
    full.append(name.data(), name.size());
    return full.size() < MAX_PATH;
}

// A null name gives an unnamed object, private to this process.
const char* NameOrNull(const PString& name, const std::string& full) {
    return name.empty() ? nullptr : full.c_str();
}

void CloseIfOpen(HANDLE& handle) {
    if (handle != nullptr)
        CloseHandle(handle);
    handle = nullptr;
}

// An abandoned entry mutex (its owner ended while holding it) has been
// handed to this thread all the same. Reporting success lets the caller
// release it again; reporting failure would leave it held for ever.
bool Entered(DWORD result) {
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0 || result == WAIT_ABANDONED_0 + 1;
}

} // namespace

MRSWMutex::~MRSWMutex() {}

MRSWMutex* MRSWMutex::GetNewMRSWMutex() {
    try {
        return new WIN32_MRSWMutex;
    } catch (...) {
        return nullptr;
    }
}

WIN32_MRSWMutex::WIN32_MRSWMutex()
    : entryMutex_(nullptr), noReadersEvent_(nullptr), readerCount_(nullptr) {}

WIN32_MRSWMutex::~WIN32_MRSWMutex() {
    CloseAll();
}

void WIN32_MRSWMutex::CloseAll() {
    CloseIfOpen(entryMutex_);
    CloseIfOpen(noReadersEvent_);
    CloseIfOpen(readerCount_);
}

bool WIN32_MRSWMutex::Initialize(const PString& name) {
    if (IsValid())
        return false;
    std::string mutexName, eventName, semaphoreName;
    if (!ObjectName(kMutexPrefix, name, mutexName) || !ObjectName(kEventPrefix, name, eventName) ||
        !ObjectName(kSemaphorePrefix, name, semaphoreName))
        return false;
    // A name that another kind of object already holds fails its creation
    // (the system refuses to open it as the wrong type).
    entryMutex_ = CreateMutexA(nullptr, FALSE, NameOrNull(name, mutexName));
    noReadersEvent_ = CreateEventA(nullptr, TRUE, TRUE, NameOrNull(name, eventName));
    readerCount_ = CreateSemaphoreA(nullptr, 0, kMaxReaders, NameOrNull(name, semaphoreName));
    if (!IsValid()) {
        // Half a lock is of no use to anyone: keep none of it.
        CloseAll();
        return false;
    }
    return true;
}

bool WIN32_MRSWMutex::IsValid() {
    return entryMutex_ != nullptr && noReadersEvent_ != nullptr && readerCount_ != nullptr;
}

bool WIN32_MRSWMutex::AcquireShared() {
    return AcquireShared(kSharedPatience);
}

bool WIN32_MRSWMutex::AcquireShared(unsigned int timeout) {
    DWORD result = WaitForSingleObject(entryMutex_, timeout);
    if (!Entered(result))
        return false;
    LONG previous = 0;
    ReleaseSemaphore(readerCount_, 1, &previous);
    if (previous == 0)
        ResetEvent(noReadersEvent_);
    ReleaseMutex(entryMutex_);
    return true;
}

void WIN32_MRSWMutex::ReleaseShared() {
    // The reader count changes only under the entry mutex, so taking the
    // mutex first and then one count without waiting is the same as waiting
    // for both at once, except that a release nobody acquired finds no count
    // and does nothing instead of waiting for ever.
    DWORD entered = WaitForSingleObject(entryMutex_, INFINITE);
    if (!Entered(entered))
        return;
    if (WaitForSingleObject(readerCount_, 0) == WAIT_OBJECT_0) {
        if (WaitForSingleObject(readerCount_, 0) == WAIT_TIMEOUT)
            SetEvent(noReadersEvent_); // that was the last reader
        else
            ReleaseSemaphore(readerCount_, 1, nullptr);
    }
    ReleaseMutex(entryMutex_);
}

bool WIN32_MRSWMutex::AcquireExclusive() {
    return AcquireExclusive(kExclusivePatience);
}

bool WIN32_MRSWMutex::AcquireExclusive(unsigned int timeout) {
    HANDLE both[2] = {entryMutex_, noReadersEvent_};
    return Entered(WaitForMultipleObjects(2, both, TRUE, timeout));
}

void WIN32_MRSWMutex::ReleaseExclusive() {
    ReleaseMutex(entryMutex_);
}

} // namespace REDudi
