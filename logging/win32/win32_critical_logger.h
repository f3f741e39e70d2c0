// The Windows writer of the machine-wide critical log.
#pragma once

#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "logging/win32/critical_log_map.h"

#include <windows.h>

#include <cstdarg>

namespace REDudi {

class WIN32_CriticalLogger : public CriticalLogger {
public:
    explicit WIN32_CriticalLogger(const critmap::Names& names = critmap::kMachineNames);
    ~WIN32_CriticalLogger() override;
    WIN32_CriticalLogger(const WIN32_CriticalLogger&) = delete;
    WIN32_CriticalLogger& operator=(const WIN32_CriticalLogger&) = delete;

    void Trace(int code, unsigned char level, const char* format, ...) override;
    void Trace(int code, const char* format, ...) override;
    void ClassTrace(int code, const char* subClass, const char* format, ...) override;
    void ClassTrace(int code, const char* subClass, unsigned char level, const char* format,
                    ...) override;
    void SetClass(PString className) override;
    void SetAgent(PString agent) override;
    void SetModule(PString module) override;
    void SetDefaultSubClass(PString subClass) override;
    void SetDefaultLevel(unsigned char level) override;
    bool IsValid() override;

private:
    void Open(const critmap::Names& names);
    // `subClass` null means the call named none; `viaClassTrace` tells which
    // shape the mirror line takes.
    void FormatAndWrite(int code, const char* subClass, bool viaClassTrace, unsigned char level,
                        const char* format, va_list args);
    void Write(int code, const char* subClass, bool viaClassTrace, unsigned char level,
               const char* text);
    void Mirror(const char* subClass, bool viaClassTrace, unsigned char level, const char* text);
    const PString& VersionText();
    static BOOL CALLBACK LookUpVersion(INIT_ONCE* once, void* self, void** context);

    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    HANDLE event_ = nullptr;
    PString className_;
    PString agent_;
    PString module_;
    PString defaultSubClass_;
    unsigned char defaultLevel_ = 5;
    WIN32_CriticalLogMap* map_ = nullptr;
    ALogger mirror_;
    AdvancedPlatformSupport platformSupport_;
    PString version_{"UNKNOWN"}; // looked up once, on the first record: see VersionText()
    INIT_ONCE versionOnce_ = INIT_ONCE_STATIC_INIT;
};

} // namespace REDudi
