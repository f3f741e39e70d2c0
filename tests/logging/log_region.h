// Test-side access to the machine's trace log: the shared region mapped for
// reading, its named mutex, and the helper process that plays a second
// writer or a stuck holder.
#pragma once

#include "logging/win32/log_map.h"

#include <windows.h>

#include <string>

namespace REDudi {
namespace testing_support {

// The current region, opened by its global name like any other process.
class LogRegion {
public:
    LogRegion();
    ~LogRegion();
    LogRegion(const LogRegion&) = delete;
    LogRegion& operator=(const LogRegion&) = delete;

    bool IsOpen() const { return map_ != nullptr && mutex_ != nullptr; }
    const WIN32_LogMap& Map() const { return *map_; }
    // Only for simulating a damaged header, and only while holding the lock.
    WIN32_LogMap& Writable() const { return *map_; }
    HANDLE Mutex() const { return mutex_; }

    // The slot written last, by the header's own ring size.
    const ALogEntry& Last(unsigned back = 0) const;

private:
    HANDLE mapping_ = nullptr;
    HANDLE mutex_ = nullptr;
    WIN32_LogMap* map_ = nullptr;
};

// Holds the log's mutex for a scope. The mutex is recursive, so the holding
// thread can still trace: nothing else writes in between, which keeps the
// checks exact while other tests write into the same region.
class RegionLock {
public:
    explicit RegionLock(const LogRegion& region);
    ~RegionLock();
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

// Serialises the tests of this suite that disturb the log for others (long
// holds, many records) or need it calm, across the processes ctest runs.
class ExclusiveTest {
public:
    ExclusiveTest();
    ~ExclusiveTest();
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

// A started copy of trace_log_helper.exe.
class HelperProcess {
public:
    explicit HelperProcess(const std::string& arguments);
    ~HelperProcess();
    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }
    // The exit code, or ~0u when the helper did not end within `timeoutMs`.
    DWORD Wait(DWORD timeoutMs);

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// A process or thread identifier as the records spell it.
std::string IdText(DWORD id);

// A name no other test process uses at the same time.
std::string UniqueName(const char* stem);

} // namespace testing_support
} // namespace REDudi
