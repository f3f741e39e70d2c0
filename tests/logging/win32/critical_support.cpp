#include "win32/critical_support.h"

#include <REDudi/platform.h>

#include <atomic>
#include <stdexcept>

namespace REDudi {
namespace testing {

namespace {
std::string Global(const std::string& name) {
    return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
}

std::string Unique(const char* role) {
    static std::atomic<unsigned> serial{0};
    return "REDudiTest::Critical::" + std::to_string(GetCurrentProcessId()) +
           "::" + std::to_string(++serial) + "::" + role;
}
} // namespace

PrivateLogNames::PrivateLogNames()
    : mapping_(Unique("Mapping")), mutex_(Unique("Mutex")),
      event_(Unique("Event")), names_{mapping_.c_str(), mutex_.c_str(), event_.c_str()} {}

std::string PrivateLogNames::GlobalMappingName() const {
    return Global(mapping_);
}

CriticalRegionView::CriticalRegionView(const critmap::Names& names) {
    mapping_ = OpenFileMappingA(FILE_MAP_WRITE, FALSE, Global(names.mapping).c_str());
    if (mapping_ != nullptr)
        map_ = static_cast<WIN32_CriticalLogMap*>(
            MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, critmap::kRegionSize));
    mutex_ = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, Global(names.mutex).c_str());
}

CriticalRegionView::~CriticalRegionView() {
    if (map_ != nullptr)
        UnmapViewOfFile(map_);
    if (mapping_ != nullptr)
        CloseHandle(mapping_);
    if (mutex_ != nullptr)
        CloseHandle(mutex_);
}

const ACriticalLogEntry& CriticalRegionView::Last(unsigned back) const {
    const unsigned capacity = map_->capacity;
    return map_->records[(map_->next + 2 * capacity - 1 - back) % capacity];
}

HeldMutex::HeldMutex(HANDLE mutex) : mutex_(mutex) {
    const DWORD result = WaitForSingleObject(mutex_, 10000);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

HeldMutex::~HeldMutex() {
    if (held_)
        ReleaseMutex(mutex_);
}

CriticalCollector::CriticalCollector()
    : arrived_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      blocked_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&lock_);
}

CriticalCollector::~CriticalCollector() {
    SetEvent(release_);
    CloseHandle(arrived_);
    CloseHandle(blocked_);
    CloseHandle(release_);
    DeleteCriticalSection(&lock_);
}

void CriticalCollector::OnLogEntry(ACriticalLogEntry* entry) {
    const std::string message = entry->message;
    EnterCriticalSection(&lock_);
    const bool block = message == blockAt_;
    const bool fail = message == throwAt_;
    if (!fail)
        messages_.push_back(message);
    LeaveCriticalSection(&lock_);
    SetEvent(arrived_);
    if (fail)
        throw std::runtime_error("listener failure");
    if (block) {
        SetEvent(blocked_);
        // Bounded, so that a failing test never hangs the reader for good.
        WaitForSingleObject(release_, 20000);
    }
}

void CriticalCollector::BlockAt(const std::string& message) {
    EnterCriticalSection(&lock_);
    blockAt_ = message;
    LeaveCriticalSection(&lock_);
}

void CriticalCollector::ThrowAt(const std::string& message) {
    EnterCriticalSection(&lock_);
    throwAt_ = message;
    LeaveCriticalSection(&lock_);
}

bool CriticalCollector::WaitUntilBlocked(DWORD timeout) {
    return WaitForSingleObject(blocked_, timeout) == WAIT_OBJECT_0;
}

void CriticalCollector::Release() {
    SetEvent(release_);
}

bool CriticalCollector::WaitForCount(std::size_t count, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        EnterCriticalSection(&lock_);
        const bool done = messages_.size() >= count;
        LeaveCriticalSection(&lock_);
        if (done)
            return true;
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeout)
            return false;
        WaitForSingleObject(arrived_, timeout - spent);
    }
}

std::vector<std::string> CriticalCollector::Messages() {
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = messages_;
    LeaveCriticalSection(&lock_);
    return copy;
}

} // namespace testing
} // namespace REDudi
