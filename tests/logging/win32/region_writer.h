// A writer for tests that stores records into the trace-log region directly,
// through its named objects: it reaches the legacy region, which the library
// never writes, and lets a test hold the region's mutex.
#pragma once

#include "logging/win32/log_map.h"

#include <windows.h>

#include <string>

namespace REDudi {
namespace testing {

class RegionWriter {
public:
    enum class Set { kCurrent, kLegacy };
    explicit RegionWriter(Set set = Set::kCurrent);
    ~RegionWriter();
    RegionWriter(const RegionWriter&) = delete;
    RegionWriter& operator=(const RegionWriter&) = delete;

    bool IsOpen() const { return view_ != nullptr; }

    // Writes one record and pulses the event, like the library's writer.
    // False when the mutex could not be had within ten seconds.
    bool Write(const std::string& className, const std::string& subClass, unsigned char level,
               unsigned int flags, const std::string& message);

    // The mutex may be held across several writes (it is recursive).
    bool Lock(DWORD timeout = 5000);
    void Unlock();
    void Pulse();

    WIN32_LogMap* View() { return view_; }

private:
    HANDLE mutex_ = nullptr;
    HANDLE event_ = nullptr;
    HANDLE mapping_ = nullptr;
    WIN32_LogMap* view_ = nullptr;
};

} // namespace testing
} // namespace REDudi
