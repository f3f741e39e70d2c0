#include "win32/region_writer.h"

#include <REDudi/platform.h>

#include "logging/win32/log_region.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace REDudi {
namespace testing {

namespace {
void CopyText(char* target, std::size_t size, const std::string& text) {
    std::strncpy(target, text.c_str(), size - 1);
    target[size - 1] = '\0';
}
} // namespace

RegionWriter::RegionWriter(Set set) {
    AdvancedPlatformSupport support;
    SECURITY_ATTRIBUTES* security = nullptr;
    PString mutexName(logmap::kLegacyMutexName);
    PString eventName(logmap::kLegacyEventName);
    PString mappingName(logmap::kLegacyMappingName);
    if (set == Set::kCurrent) {
        security = support.GetAllAccessSecurityAttributes();
        mutexName =
            AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMutexName));
        eventName =
            AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kEventName));
        mappingName = AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(
            PString(logmap::kMappingName));
    }
    event_ = CreateEventA(security, TRUE, FALSE, eventName.c_str());
    mutex_ = CreateMutexA(security, FALSE, mutexName.c_str());
    if (event_ == nullptr || mutex_ == nullptr || !Lock())
        return;
    view_ = OpenLogRegion(mappingName.c_str(), security, mapping_);
    Unlock();
}

RegionWriter::~RegionWriter() {
    CloseLogRegion(view_, mapping_);
    CloseIfOpen(mutex_);
    CloseIfOpen(event_);
}

bool RegionWriter::Write(const std::string& className, const std::string& subClass,
                         unsigned char level, unsigned int flags, const std::string& message) {
    // Longer than the library's writer waits: a test holding the mutex for a
    // while must not make records of tests running beside it disappear.
    if (view_ == nullptr || !Lock(10000))
        return false;
    std::uint32_t capacity = view_->capacity == 0 ? logmap::kCapacity : view_->capacity;
    ALogEntry& entry = view_->records[view_->next % capacity];
    std::memset(&entry, 0, sizeof entry);
    CopyText(entry.className, sizeof entry.className, className);
    CopyText(entry.subClass, sizeof entry.subClass, subClass);
    CopyText(entry.message, sizeof entry.message, message);
    std::snprintf(entry.process, sizeof entry.process, "0x%lx", GetCurrentProcessId());
    std::snprintf(entry.thread, sizeof entry.thread, "0x%lx", GetCurrentThreadId());
    entry.time = static_cast<std::uint32_t>(std::time(nullptr));
    entry.flags = flags;
    entry.level = level;
    view_->next = (view_->next + 1) % capacity;
    view_->count = view_->count + 1;
    Pulse();
    Unlock();
    return true;
}

bool RegionWriter::Lock(DWORD timeout) {
    DWORD result = WaitForSingleObject(mutex_, timeout);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void RegionWriter::Unlock() {
    ReleaseMutex(mutex_);
}

void RegionWriter::Pulse() {
    PulseEvent(event_);
}

} // namespace testing
} // namespace REDudi
