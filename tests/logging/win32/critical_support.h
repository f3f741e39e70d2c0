// Test-side access to critical logs: private ones, whose names no other test
// uses, and the machine's; a listener that keeps what its reader delivers.
#pragma once

#include <REDudi/logging.h>

#include "logging/win32/critical_log_map.h"

#include <windows.h>

#include <string>
#include <vector>

namespace REDudi {
namespace testing {

// Names of a critical log of the test's own.
class PrivateLogNames {
public:
    PrivateLogNames();
    const critmap::Names& Names() const { return names_; }
    std::string GlobalMappingName() const;

private:
    std::string mapping_, mutex_, event_;
    critmap::Names names_;
};

// A critical log's region and mutex as another process sees them. Nothing is
// created: the region must exist.
class CriticalRegionView {
public:
    explicit CriticalRegionView(const critmap::Names& names = critmap::kMachineNames);
    ~CriticalRegionView();
    CriticalRegionView(const CriticalRegionView&) = delete;
    CriticalRegionView& operator=(const CriticalRegionView&) = delete;

    bool IsOpen() const { return map_ != nullptr && mutex_ != nullptr; }
    WIN32_CriticalLogMap& Map() const { return *map_; }
    HANDLE Mutex() const { return mutex_; }
    // The record written `back` records before the last one.
    const ACriticalLogEntry& Last(unsigned back = 0) const;

private:
    HANDLE mapping_ = nullptr;
    HANDLE mutex_ = nullptr;
    WIN32_CriticalLogMap* map_ = nullptr;
};

// Holds a mutex for a scope (at most 10 s to get it).
class HeldMutex {
public:
    explicit HeldMutex(HANDLE mutex);
    ~HeldMutex();
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

// Keeps every record its reader delivers; can hold the reader inside the
// call for one message, or throw from it.
class CriticalCollector : public CriticalLogReaderListener {
public:
    CriticalCollector();
    ~CriticalCollector();

    void OnLogEntry(ACriticalLogEntry* entry) override;

    void BlockAt(const std::string& message);
    void ThrowAt(const std::string& message);
    bool WaitUntilBlocked(DWORD timeout);
    void Release();
    bool WaitForCount(std::size_t count, DWORD timeout);
    std::vector<std::string> Messages();

private:
    CRITICAL_SECTION lock_;
    HANDLE arrived_;
    HANDLE blocked_;
    HANDLE release_;
    std::string blockAt_;
    std::string throwAt_;
    std::vector<std::string> messages_;
};

} // namespace testing
} // namespace REDudi
