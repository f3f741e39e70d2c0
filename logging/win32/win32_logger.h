// The Windows writer of the machine-wide trace log.
#pragma once

#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "logging/win32/log_map.h"

#include <windows.h>

namespace REDudi {

class WIN32_Logger : public Logger {
public:
    WIN32_Logger();
    ~WIN32_Logger() override;
    WIN32_Logger(const WIN32_Logger&) = delete;
    WIN32_Logger& operator=(const WIN32_Logger&) = delete;

    void Trace(unsigned char level, unsigned int flags, const char* format, ...) override;
    void Trace(unsigned char level, const char* format, ...) override;
    void Trace(unsigned int flags, const char* format, ...) override;
    void Trace(const char* format, ...) override;
    void ClassTrace(const char* subClass, const char* format, ...) override;
    void ClassTrace(const char* subClass, unsigned char level, unsigned int flags,
                    const char* format, ...) override;
    void ClassTrace(const char* subClass, unsigned char level, const char* format, ...) override;
    void ClassTrace(const char* subClass, unsigned int flags, const char* format, ...) override;
    void SetClass(PString className) override;
    void SetDefaultSubClass(PString subClass) override;
    void SetDefaultLevel(unsigned char level) override;
    void SetDefaultFlags(unsigned int flags) override;
    bool IsValid() override;

private:
    void Open();
    void Write(const char* subClass, unsigned char level, unsigned int flags, const char* format,
               va_list args);

    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    HANDLE event_ = nullptr;
    PString className_;
    PString defaultSubClass_;
    unsigned int defaultFlags_ = 0;
    unsigned char defaultLevel_ = 0;
    WIN32_LogMap* map_ = nullptr;
    AdvancedPlatformSupport platformSupport_;
};

} // namespace REDudi
