// The Windows log reader: one worker thread that sleeps on the current and
// the legacy region's events and hands every new record to the listener.
#pragma once

#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "logging/win32/log_map.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace REDudi {

class WIN32_LogReader : public LogReader {
public:
    WIN32_LogReader();
    ~WIN32_LogReader() override;
    WIN32_LogReader(const WIN32_LogReader&) = delete;
    WIN32_LogReader& operator=(const WIN32_LogReader&) = delete;

    bool Start(LogReaderListener* listener) override;

private:
    static unsigned __stdcall ThreadMain(void* self);
    unsigned Run();
    // Copies what this reader has not seen of one region under its mutex,
    // then delivers it with the mutex released.
    void Scan(HANDLE mutex, WIN32_LogMap* view, std::uint32_t& seen, std::vector<ALogEntry>& batch);
    // Whether a rescan would find anything.
    static bool HasUnseen(const WIN32_LogMap* view, std::uint32_t seen);
    // Takes one set's mutex and opens its region; false leaves the set closed.
    bool OpenSet(const char* mutexName, const char* mappingName, SECURITY_ATTRIBUTES* security,
                 HANDLE& mutex, HANDLE& mapping, WIN32_LogMap*& view);

    LogReaderListener* listener_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    HANDLE event_ = nullptr;
    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    HANDLE legacyEvent_ = nullptr;
    HANDLE legacyMutex_ = nullptr;
    HANDLE legacyMapping_ = nullptr;
    WIN32_LogMap* view_ = nullptr;
    WIN32_LogMap* legacyView_ = nullptr;
    std::uint32_t seen_ = 0;
    std::uint32_t legacySeen_ = 0;
    AdvancedPlatformSupport support_;
};

} // namespace REDudi
