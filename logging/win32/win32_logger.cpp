#include "logging/win32/win32_logger.h"

#include "logging/win32/log_region.h"
#include "logging/win32/record_fields.h"

#include "logging/trace_text.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace REDudi {

namespace {

constexpr DWORD kMutexLimitMs = 1000;

// The ring's slot count as the region states it. A capacity of 0 (or one
// larger than the slots that exist) can only come from a damaged or foreign
// region; such a region is used with this library's own ring size rather
// than dividing by zero or writing past the region's end.
std::uint32_t RingCapacity(const WIN32_LogMap& map) {
    const std::uint32_t slots = sizeof(map.records) / sizeof(map.records[0]);
    if (map.capacity == 0 || map.capacity > slots)
        return logmap::kCapacity;
    return map.capacity;
}

} // namespace

using logrecord::CopyField;
using logrecord::RecordTime;

Logger* Logger::GetNewLogger() {
    return new (std::nothrow) WIN32_Logger();
}

WIN32_Logger::WIN32_Logger() : className_("GENERAL"), defaultSubClass_("GENERAL") {
    Open();
}

WIN32_Logger::~WIN32_Logger() {
    if (event_ != nullptr)
        CloseHandle(event_);
    if (mutex_ != nullptr)
        CloseHandle(mutex_);
    CloseLogRegion(map_, mapping_);
}

void WIN32_Logger::Open() {
    SECURITY_ATTRIBUTES* security = platformSupport_.GetAllAccessSecurityAttributes();
    const PString eventName =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kEventName));
    event_ = CreateEventA(security, TRUE, FALSE, eventName.c_str());
    if (event_ == nullptr)
        return;
    const PString mutexName =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMutexName));
    mutex_ = CreateMutexA(security, FALSE, mutexName.c_str());
    if (mutex_ == nullptr)
        return;

    // Whoever creates the mapping initialises it before anyone else can see
    // it half-done: writers and readers all open it under this mutex.
    WaitForSingleObject(mutex_, INFINITE);
    const PString mappingName =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMappingName));
    map_ = OpenLogRegion(mappingName.c_str(), security, mapping_);
    ReleaseMutex(mutex_);
}

bool WIN32_Logger::IsValid() {
    return mutex_ != nullptr && mapping_ != nullptr && map_ != nullptr && event_ != nullptr;
}

void WIN32_Logger::Write(const char* subClass, unsigned char level, unsigned int flags,
                         const char* format, va_list args) {
    if (!IsValid())
        return;

    // The record is assembled on the stack first, so that the mutex is held
    // only for one copy into the ring. Every byte is zeroed first: the region
    // is readable by every process of the machine, and the bytes behind the
    // terminators would otherwise carry this stack's old contents.
    ALogEntry entry;
    std::memset(&entry, 0, sizeof entry);
    CopyField(entry.className, sizeof entry.className, className_.c_str());
    CopyField(entry.subClass, sizeof entry.subClass, subClass);
    entry.flags = flags;
    entry.level = level;
    std::snprintf(entry.process, sizeof entry.process, "0x%lx", GetCurrentProcessId());
    std::snprintf(entry.thread, sizeof entry.thread, "0x%lx", GetCurrentThreadId());
    TraceText text;
    text.Format(format, args);
    CopyField(entry.message, sizeof entry.message, text.c_str());

    // A holder stuck for longer than the limit costs this record, not the
    // caller's progress. An abandoned mutex still guards a usable region.
    if (WaitForSingleObject(mutex_, kMutexLimitMs) == WAIT_TIMEOUT)
        return;
    // Stamped under the mutex, so that records in ring order never go back in
    // time and none carries a second before its turn came.
    entry.time = RecordTime();
    logrecord::AppendToRing(*map_, entry, RingCapacity(*map_));
    PulseEvent(event_);
    ReleaseMutex(mutex_);
}

void WIN32_Logger::Trace(unsigned char level, unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(defaultSubClass_.c_str(), level, flags, format, args);
    va_end(args);
}

void WIN32_Logger::Trace(unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(defaultSubClass_.c_str(), level, defaultFlags_, format, args);
    va_end(args);
}

void WIN32_Logger::Trace(unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(defaultSubClass_.c_str(), defaultLevel_, flags, format, args);
    va_end(args);
}

void WIN32_Logger::Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(defaultSubClass_.c_str(), defaultLevel_, defaultFlags_, format, args);
    va_end(args);
}

void WIN32_Logger::ClassTrace(const char* subClass, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(subClass, defaultLevel_, defaultFlags_, format, args);
    va_end(args);
}

void WIN32_Logger::ClassTrace(const char* subClass, unsigned char level, unsigned int flags,
                              const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(subClass, level, flags, format, args);
    va_end(args);
}

void WIN32_Logger::ClassTrace(const char* subClass, unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(subClass, level, defaultFlags_, format, args);
    va_end(args);
}

void WIN32_Logger::ClassTrace(const char* subClass, unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(subClass, defaultLevel_, flags, format, args);
    va_end(args);
}

void WIN32_Logger::SetClass(PString className) {
    className_ = className;
}

void WIN32_Logger::SetDefaultSubClass(PString subClass) {
    defaultSubClass_ = subClass;
}

void WIN32_Logger::SetDefaultLevel(unsigned char level) {
    defaultLevel_ = level;
}

void WIN32_Logger::SetDefaultFlags(unsigned int flags) {
    defaultFlags_ = flags;
}

} // namespace REDudi
