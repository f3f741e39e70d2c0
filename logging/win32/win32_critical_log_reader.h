// The Windows critical log reader: a thread that wakes on the critical log's
// event, copies new records under the log's mutex, hands them to its listener
// without it and marks each handled record delivered.
#pragma once

#include <REDudi/logging.h>
#include <REDudi/platform.h>
#include <REDudi/threads.h>

#include "logging/win32/critical_log_map.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace REDudi {

class WIN32_CriticalLogReader : public CriticalLogReader, public AThread {
public:
    explicit WIN32_CriticalLogReader(const critmap::Names& names = critmap::kMachineNames);
    ~WIN32_CriticalLogReader() override;
    WIN32_CriticalLogReader(const WIN32_CriticalLogReader&) = delete;
    WIN32_CriticalLogReader& operator=(const WIN32_CriticalLogReader&) = delete;

    bool Start(CriticalLogReaderListener* listener) override;
    void Stop(const unsigned int& timeout) override;

protected:
    unsigned int Run() override;

private:
    // A copied record and the running number it was written under, by which
    // its slot is recognised again when it is marked delivered.
    struct Copy {
        ACriticalLogEntry entry;
        std::uint32_t sequence;
        std::uint32_t slot;
    };
    enum class ScanEnd { kDone, kStopped };

    void Open();
    void RunLoop();
    ScanEnd Scan();
    void MarkDelivered(const Copy& copy);
    void StopNow();
    bool StopRequested() const;
    bool HasUnseen() const;
    bool ReadFlag(AMutex& lock, const bool& flag);
    void WriteFlag(AMutex& lock, bool& flag, bool value);
    bool EnsureEvent(HANDLE& event);

    HANDLE stopEvent_ = nullptr;
    HANDLE stoppedEvent_ = nullptr;
    HANDLE logEvent_ = nullptr;
    HANDLE drainedEvent_ = nullptr;
    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    WIN32_CriticalLogMap* view_ = nullptr;
    std::uint32_t seen_ = 0;
    std::atomic<bool> stopping_{false};
    AdvancedPlatformSupport platformSupport_;
    bool shutdownRequested_ = false;
    AMutex shutdownLock_;
    bool busy_ = false;
    AMutex busyLock_;

    critmap::Names names_;
    CriticalLogReaderListener* listener_ = nullptr;
    std::vector<Copy> batch_;
};

} // namespace REDudi
