#include "win32/critical_support.h"

#include <REDudi/platform.h>

#include <atomic>
#include <stdexcept>

namespace REDudi {
namespace testing {

namespace {
std::string Unique(const char* role) {
    static std::atomic<unsigned> serial{0};
    return "REDudiTest::Critical::" + std::to_string(GetCurrentProcessId()) +
           "::" + std::to_string(++serial) + "::" + role;
}
} // namespace

PrivateLogNames::PrivateLogNames()
    : mapping_(Unique("Mapping")), mutex_(Unique("Mutex")),
      event_(Unique("Event")), names_{mapping_.c_str(), mutex_.c_str(), event_.c_str()} {}

std::string PrivateLogNames::Global(const char* name) const {
    return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
}

CriticalRegionView::CriticalRegionView(const critmap::Names& names) {
    const auto global = [](const char* name) {
        return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
    };
    mapping_ = OpenFileMappingA(FILE_MAP_WRITE, FALSE, global(names.mapping).c_str());
    if (mapping_ != nullptr)
        map_ = static_cast<WIN32_CriticalLogMap*>(
            MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, critmap::kRegionSize));
    mutex_ = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, global(names.mutex).c_str());
}

CriticalRegionView::~CriticalRegionView() {
    if (map_ != nullptr)
        UnmapViewOfFile(map_);
    for (HANDLE h : {mapping_, mutex_})
        if (h != nullptr)
            CloseHandle(h);
}

const ACriticalLogEntry& CriticalRegionView::Last() const {
    const unsigned capacity = map_->capacity;
    return map_->records[(map_->next + capacity - 1) % capacity];
}

HeldMutex::HeldMutex(HANDLE mutex) : mutex_(mutex) {
    const DWORD result = WaitForSingleObject(mutex_, 10000);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

HeldMutex::~HeldMutex() {
    if (held_)
        ReleaseMutex(mutex_);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(10))
        if (GetTickCount() - start >= timeout)
            return false;
    return true;
}

CriticalCollector::CriticalCollector()
    : blocked_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&lock_);
}

CriticalCollector::~CriticalCollector() {
    CloseHandle(blocked_);
    CloseHandle(release_);
    DeleteCriticalSection(&lock_);
}

void CriticalCollector::OnLogEntry(ACriticalLogEntry* entry) {
    const std::string message = entry->message;
    if (message == throwAt)
        throw std::runtime_error("listener failure");
    EnterCriticalSection(&lock_);
    messages_.push_back(message);
    LeaveCriticalSection(&lock_);
    if (message == blockAt) {
        SetEvent(blocked_);
        // Bounded, so that a failing test never hangs the reader for good.
        WaitForSingleObject(release_, 20000);
    }
}

bool CriticalCollector::WaitForCount(std::size_t count, DWORD timeout) {
    return WaitUntil([&] { return Messages().size() >= count; }, timeout);
}

std::vector<std::string> CriticalCollector::Messages() {
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = messages_;
    LeaveCriticalSection(&lock_);
    return copy;
}

} // namespace testing
} // namespace REDudi
