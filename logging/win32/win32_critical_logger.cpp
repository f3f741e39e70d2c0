#include "logging/win32/win32_critical_logger.h"

#include "logging/critical_ring.h"
#include "logging/critical_text.h"
#include "logging/trace_text.h"
#include "logging/win32/critical_log_region.h"
#include "logging/win32/log_region.h"
#include "logging/win32/program_version.h"
#include "logging/win32/record_fields.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace REDudi {

namespace {

constexpr DWORD kWriteMutexLimitMs = 5000;
// Every process that loads the library builds the default critical writer
// while the library loads, under the loader lock. An unbounded wait here
// would stop the start of every program of the machine while one process
// holds the mutex, so set-up waits this long and then makes do without it.
constexpr DWORD kOpenMutexLimitMs = 1000;

} // namespace

using logrecord::CopyField;
using logrecord::RecordTime;

WIN32_CriticalLogger::WIN32_CriticalLogger(const critmap::Names& names)
    : className_("UNKNOWN"), agent_("UNKNOWN"), module_("UNKNOWN"), defaultSubClass_("UNKNOWN") {
    mirror_.SetClass(PString("UNKNOWN"));
    Open(names);
}

WIN32_CriticalLogger::~WIN32_CriticalLogger() {
    CloseIfOpen(event_);
    CloseIfOpen(mutex_);
    CloseCriticalRegion(map_, mapping_);
}

void WIN32_CriticalLogger::Open(const critmap::Names& names) {
    SECURITY_ATTRIBUTES* security = platformSupport_.GetAllAccessSecurityAttributes();
    event_ = CreateEventA(security, TRUE, FALSE, CriticalObjectName(names.event).c_str());
    if (event_ == nullptr)
        return;
    mutex_ = CreateMutexA(security, FALSE, CriticalObjectName(names.mutex).c_str());
    if (mutex_ == nullptr)
        return;
    const PString mappingName = CriticalObjectName(names.mapping);
    if (WaitForSingleObject(mutex_, kOpenMutexLimitMs) == WAIT_TIMEOUT) {
        // The holder may be stuck, but a region that exists was initialised
        // by its creator under the mutex and can be used; one this process
        // would have to create cannot be initialised safely without it.
        map_ = OpenExistingCriticalRegion(mappingName.c_str(), mapping_);
        return;
    }
    map_ = OpenCriticalRegion(mappingName.c_str(), security, critmap::kWriterCapacity, mapping_);
    ReleaseMutex(mutex_);
}

bool WIN32_CriticalLogger::IsValid() {
    return mutex_ != nullptr && mapping_ != nullptr && map_ != nullptr && event_ != nullptr;
}

BOOL CALLBACK WIN32_CriticalLogger::LookUpVersion(INIT_ONCE*, void* self, void**) {
    // Nothing may unwind through the system's frames.
    try {
        auto* logger = static_cast<WIN32_CriticalLogger*>(self);
        PString fileVersion;
        const bool found = LookUpProgramFileVersion(fileVersion);
        logger->version_ = CriticalVersionText(found, fileVersion);
    } catch (...) {
    }
    return TRUE;
}

const PString& WIN32_CriticalLogger::VersionText() {
    // Reading the version resource means reading the executable's file; the
    // program does not change while it runs, so once is enough. It is not
    // done while the library loads, where file work under the loader lock
    // would slow down every program's start. The process-wide writer is
    // called from any thread: the first record's lookup runs once, and every
    // other thread waits for it.
    InitOnceExecuteOnce(&versionOnce_, &LookUpVersion, this, nullptr);
    return version_;
}

void WIN32_CriticalLogger::Mirror(const char* subClass, bool viaClassTrace, unsigned char level,
                                  const char* text) {
    char line[TraceText::kSize];
    std::memset(line, 0, sizeof line);
    std::strncpy(line, text, sizeof line - 1);
    if (viaClassTrace && subClass != nullptr)
        mirror_.ClassTrace(subClass, level, kFinishedText, line);
    else
        mirror_.Trace(level, kFinishedText, line);
}

void WIN32_CriticalLogger::Write(int code, const char* subClass, bool viaClassTrace,
                                 unsigned char level, const char* text) {
    if (!IsValid())
        return;
    // The trace copy comes first and stands even when the critical record is
    // lost to a stuck mutex below.
    Mirror(subClass, viaClassTrace, level, text);

    // Assembled on the stack, so that the mutex covers only the copy.
    ACriticalLogEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.code = code;
    CopyField(entry.agent, sizeof entry.agent, agent_.c_str());
    CopyField(entry.version, sizeof entry.version, VersionText().c_str());
    CopyField(entry.module, sizeof entry.module, module_.c_str());
    CopyField(entry.className, sizeof entry.className, className_.c_str());
    CopyField(entry.subClass, sizeof entry.subClass, subClass != nullptr ? subClass : "UNKNOWN");
    entry.level = level;
    std::snprintf(entry.process, sizeof entry.process, "0x%lx", GetCurrentProcessId());
    std::snprintf(entry.thread, sizeof entry.thread, "0x%lx", GetCurrentThreadId());
    CopyField(entry.message, sizeof entry.message, text);

    // An abandoned mutex still guards a usable region; only a holder stuck
    // past the limit costs the record. The time is the second of the write
    // itself, so that records in ring order never go back in time.
    if (WaitForSingleObject(mutex_, kWriteMutexLimitMs) == WAIT_TIMEOUT)
        return;
    entry.time = RecordTime();
    logrecord::AppendToRing(*map_, entry, critring::RingCapacity(map_->capacity));
    PulseEvent(event_);
    ReleaseMutex(mutex_);
}

void WIN32_CriticalLogger::FormatAndWrite(int code, const char* subClass, bool viaClassTrace,
                                          unsigned char level, const char* format, va_list args) {
    if (format == nullptr)
        return;
    try {
        CriticalText text;
        text.Format(format, args);
        Write(code, subClass, viaClassTrace, level, text.c_str());
    } catch (...) {
        // A critical trace never fails its caller.
    }
}

void WIN32_CriticalLogger::Trace(int code, unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndWrite(code, defaultSubClass_.c_str(), false, level, format, args);
    va_end(args);
}

void WIN32_CriticalLogger::Trace(int code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndWrite(code, defaultSubClass_.c_str(), false, defaultLevel_, format, args);
    va_end(args);
}

void WIN32_CriticalLogger::ClassTrace(int code, const char* subClass, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndWrite(code, subClass, true, defaultLevel_, format, args);
    va_end(args);
}

void WIN32_CriticalLogger::ClassTrace(int code, const char* subClass, unsigned char level,
                                      const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndWrite(code, subClass, true, level, format, args);
    va_end(args);
}

void WIN32_CriticalLogger::SetClass(PString className) {
    className_ = className;
    mirror_.SetClass(className);
}

void WIN32_CriticalLogger::SetAgent(PString agent) {
    agent_ = agent;
}

void WIN32_CriticalLogger::SetModule(PString module) {
    module_ = module;
}

void WIN32_CriticalLogger::SetDefaultSubClass(PString subClass) {
    defaultSubClass_ = subClass;
    mirror_.SetDefaultSubClass(subClass);
}

void WIN32_CriticalLogger::SetDefaultLevel(unsigned char level) {
    defaultLevel_ = level;
}

} // namespace REDudi
