#include "logging/win32/win32_critical_log_reader.h"

#include "logging/critical_ring.h"
#include "logging/win32/critical_log_region.h"
#include "logging/win32/log_region.h"

#include <cstring>

namespace REDudi {

namespace {
constexpr DWORD kOpenMutexTimeout = 1000;
constexpr DWORD kScanMutexTimeout = 5000;
constexpr DWORD kStopPause = 1000;
constexpr DWORD kDestructorGrace = 5000;
constexpr unsigned int kThreadDeadlockTimeout = 100;
// A pulse wakes only a thread that is already waiting: one that comes while
// the reader delivers is lost, and the end of a burst would stay unseen until
// the next writer. The reader therefore also looks at the count after this
// long without a pulse, without the mutex, and scans when it has moved.
constexpr DWORD kRescanInterval = 500;
} // namespace

WIN32_CriticalLogReader::WIN32_CriticalLogReader(const critmap::Names& names) : names_(names) {
    if (AThread::IsValid())
        SetDeadlockTimeout(kThreadDeadlockTimeout);
    Open();
}

void WIN32_CriticalLogReader::Open() {
    SECURITY_ATTRIBUTES* security = platformSupport_.GetAllAccessSecurityAttributes();
    mutex_ = CreateMutexA(security, FALSE, CriticalObjectName(names_.mutex).c_str());
    if (mutex_ == nullptr)
        return;
    const DWORD result = WaitForSingleObject(mutex_, kOpenMutexTimeout);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) {
        CloseIfOpen(mutex_);
        return;
    }
    view_ = OpenCriticalRegion(CriticalObjectName(names_.mapping).c_str(), security,
                               critmap::kReaderCapacity, mapping_);
    ReleaseMutex(mutex_);
}

WIN32_CriticalLogReader::~WIN32_CriticalLogReader() {
    stopping_ = true;
    if (stopEvent_ != nullptr)
        SetEvent(stopEvent_);
    // The reader signals the stopped event on every way out, so this wait
    // is long only while a listener is still busy; a reader that never ran
    // or has already ended costs nothing here.
    if (AThread::IsValid() && IsExecuting() && stoppedEvent_ != nullptr)
        WaitForSingleObject(stoppedEvent_, kDestructorGrace);
    // The thread must be gone before the members it uses are.
    if (AThread::IsValid()) {
        try {
            Terminate(false);
        } catch (...) {
        }
    }
    CloseIfOpen(stopEvent_);
    CloseIfOpen(stoppedEvent_);
    CloseIfOpen(logEvent_);
    CloseIfOpen(drainedEvent_);
    CloseIfOpen(mutex_);
    CloseCriticalRegion(view_, mapping_);
}

bool WIN32_CriticalLogReader::EnsureEvent(HANDLE& event) {
    if (event != nullptr)
        return ResetEvent(event) != FALSE;
    event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event != nullptr;
}

bool WIN32_CriticalLogReader::Start(CriticalLogReaderListener* listener) {
    if (!AThread::IsValid())
        return false;
    // A running reader keeps its events and its listener: replacing them
    // under its thread would leave it waiting on handles nobody signals.
    // It runs afterwards, which is what the result reports.
    if (IsExecuting())
        return true;
    // A reader without a region (its mutex was held by another process while
    // it was built, or the mapping of that name is not a critical log) could
    // never deliver anything; it says so here rather than run idle.
    if (view_ == nullptr || listener == nullptr)
        return false;
    if (!EnsureEvent(stopEvent_) || !EnsureEvent(stoppedEvent_) || !EnsureEvent(drainedEvent_))
        return false;
    if (logEvent_ == nullptr) {
        logEvent_ = CreateEventA(platformSupport_.GetAllAccessSecurityAttributes(), TRUE, FALSE,
                                 CriticalObjectName(names_.event).c_str());
        if (logEvent_ == nullptr)
            return false;
    }
    stopping_ = false;
    WriteFlag(shutdownLock_, shutdownRequested_, false);
    WriteFlag(busyLock_, busy_, false);
    // Filled under the mutex; reserved here so that writers never wait for
    // an allocation.
    batch_.reserve(critring::kSlots);
    listener_ = listener;
    return Execute();
}

bool WIN32_CriticalLogReader::ReadFlag(AMutex& lock, const bool& flag) {
    AMutexLock hold(&lock, true);
    return flag;
}

void WIN32_CriticalLogReader::WriteFlag(AMutex& lock, bool& flag, bool value) {
    AMutexLock hold(&lock, true);
    flag = value;
}

bool WIN32_CriticalLogReader::StopRequested() const {
    return WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0;
}

bool WIN32_CriticalLogReader::HasUnseen() const {
    return *static_cast<const volatile std::uint32_t*>(&view_->count) != seen_;
}

unsigned int WIN32_CriticalLogReader::Run() {
    try {
        RunLoop();
    } catch (...) {
        // A failing listener ends the reader; there is nobody to tell.
    }
    // A listener that threw left the reader busy; an ended reader is not.
    WriteFlag(busyLock_, busy_, false);
    // Signalled on every way out, not only when a stop was seen: whoever
    // waits for the reader to stop learns at once that it has.
    SetEvent(stoppedEvent_);
    return 0;
}

void WIN32_CriticalLogReader::RunLoop() {
    if (Scan() == ScanEnd::kStopped)
        return;
    HANDLE waits[2] = {logEvent_, stopEvent_};
    for (;;) {
        const DWORD result = WaitForMultipleObjects(2, waits, FALSE, kRescanInterval);
        if (result == WAIT_TIMEOUT) {
            if (!HasUnseen())
                continue;
        } else if (result != WAIT_OBJECT_0) {
            return;
        }
        WriteFlag(busyLock_, busy_, true);
        if (stopping_) {
            WriteFlag(busyLock_, busy_, false);
            return;
        }
        const ScanEnd end = Scan();
        WriteFlag(busyLock_, busy_, false);
        if (end == ScanEnd::kStopped)
            return;
        if (ReadFlag(shutdownLock_, shutdownRequested_)) {
            SetEvent(drainedEvent_);
            return;
        }
    }
}

WIN32_CriticalLogReader::ScanEnd WIN32_CriticalLogReader::Scan() {
    const DWORD result = WaitForSingleObject(mutex_, kScanMutexTimeout);
    // Skipping leaves `seen_` alone: the next scan picks these records up.
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED)
        return ScanEnd::kDone;
    const std::uint32_t count = view_->count;
    const critring::Window window =
        critring::UnseenRecords(count, view_->next, view_->capacity, seen_);
    batch_.clear();
    for (std::uint32_t i = 0; i < window.length; ++i) {
        if (StopRequested()) {
            SetEvent(stoppedEvent_);
            ReleaseMutex(mutex_);
            batch_.clear();
            return ScanEnd::kStopped;
        }
        const std::uint32_t slot = critring::SlotOf(window, i);
        batch_.push_back(Copy{view_->records[slot], count - window.length + i, slot});
    }
    seen_ = count;
    ReleaseMutex(mutex_);

    for (Copy& copy : batch_) {
        if (StopRequested()) {
            SetEvent(stoppedEvent_);
            return ScanEnd::kStopped;
        }
        listener_->OnLogEntry(&copy.entry);
        MarkDelivered(copy);
    }
    batch_.clear();
    return ScanEnd::kDone;
}

void WIN32_CriticalLogReader::MarkDelivered(const Copy& copy) {
    // The mark is set under the mutex, and only on the record that was
    // handed to the listener: a writer may have filled the slot again since
    // the copy was made, and that newer record has not been delivered.
    const DWORD result = WaitForSingleObject(mutex_, kScanMutexTimeout);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED)
        return;
    ACriticalLogEntry& record = view_->records[copy.slot];
    const std::size_t rest = sizeof record - sizeof record.delivered;
    if (critring::StillPresent(view_->count, copy.sequence, view_->capacity) &&
        std::memcmp(&record.reserved1, &copy.entry.reserved1, rest) == 0)
        record.delivered = 1;
    ReleaseMutex(mutex_);
}

void WIN32_CriticalLogReader::StopNow() {
    stopping_ = true;
    if (stopEvent_ != nullptr)
        SetEvent(stopEvent_);
    // The reader gets this long to notice; the pause ends as soon as it
    // reports that it stopped rather than always taking the full time.
    if (AThread::IsValid() && IsExecuting() && stoppedEvent_ != nullptr)
        WaitForSingleObject(stoppedEvent_, kStopPause);
    if (AThread::IsValid()) {
        try {
            Terminate(false);
        } catch (...) {
        }
    }
}

void WIN32_CriticalLogReader::Stop(const unsigned int& timeout) {
    if (timeout == 0) {
        StopNow();
        return;
    }
    WriteFlag(shutdownLock_, shutdownRequested_, true);
    if (AThread::IsValid() && IsExecuting() && ReadFlag(busyLock_, busy_) &&
        drainedEvent_ != nullptr && WaitForSingleObject(drainedEvent_, timeout) == WAIT_OBJECT_0) {
        // The reader has ended by itself; this only waits for its thread to
        // finish leaving, which it does at once.
        if (AThread::IsValid()) {
            try {
                Terminate(false);
            } catch (...) {
            }
        }
        return;
    }
    StopNow();
}

} // namespace REDudi
