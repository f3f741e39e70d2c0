#include "logging/win32/win32_log_reader.h"

#include "logging/ring_window.h"
#include "logging/win32/log_region.h"

#include <process.h>

#include <new>

namespace REDudi {

namespace {
constexpr DWORD kOpenMutexTimeout = 1000;
constexpr DWORD kScanMutexTimeout = 5000;
constexpr DWORD kStopGrace = 1000;
// A pulse wakes only threads already waiting: one that comes while the
// reader scans or delivers is lost, and the end of a burst would stay unseen
// until the next writer. The reader therefore also rescans after this long
// without a pulse, any region whose count has moved (see HasUnseen).
constexpr DWORD kRescanInterval = 500;
} // namespace

LogReader* LogReader::GetNewLogReader() {
    return new (std::nothrow) WIN32_LogReader();
}

WIN32_LogReader::WIN32_LogReader() {
    PString mutexName =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMutexName));
    PString mappingName =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMappingName));
    OpenSet(mutexName.c_str(), mappingName.c_str(), support_.GetAllAccessSecurityAttributes(),
            mutex_, mapping_, view_);
    OpenSet(logmap::kLegacyMutexName, logmap::kLegacyMappingName, nullptr, legacyMutex_,
            legacyMapping_, legacyView_);
}

bool WIN32_LogReader::OpenSet(const char* mutexName, const char* mappingName,
                              SECURITY_ATTRIBUTES* security, HANDLE& mutex, HANDLE& mapping,
                              WIN32_LogMap*& view) {
    mutex = CreateMutexA(security, FALSE, mutexName);
    if (mutex == nullptr)
        return false;
    DWORD result = WaitForSingleObject(mutex, kOpenMutexTimeout);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) {
        CloseIfOpen(mutex);
        return false;
    }
    view = OpenLogRegion(mappingName, security, mapping);
    ReleaseMutex(mutex);
    return view != nullptr;
}

WIN32_LogReader::~WIN32_LogReader() {
    if (thread_ != nullptr) {
        SetEvent(stopEvent_);
        // A listener still busy after the grace period would keep this
        // object's handles in use; the thread is ended so they can close.
        if (WaitForSingleObject(thread_, kStopGrace) != WAIT_OBJECT_0)
            TerminateThread(thread_, 0xFFFFFFFF);
        CloseIfOpen(thread_);
    }
    CloseIfOpen(stopEvent_);
    CloseIfOpen(event_);
    CloseIfOpen(legacyEvent_);
    CloseIfOpen(mutex_);
    CloseIfOpen(legacyMutex_);
    CloseLogRegion(view_, mapping_);
    CloseLogRegion(legacyView_, legacyMapping_);
}

bool WIN32_LogReader::Start(LogReaderListener* listener) {
    // Nothing could receive the records of a reader without a listener.
    if (thread_ != nullptr || listener == nullptr)
        return false;
    // Without a region there is nothing to follow; a thread would only wait.
    if (view_ == nullptr && legacyView_ == nullptr)
        return false;
    if (stopEvent_ == nullptr) {
        stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (stopEvent_ == nullptr)
            return false;
    }
    if (event_ == nullptr) {
        PString name =
            AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kEventName));
        event_ = CreateEventA(support_.GetAllAccessSecurityAttributes(), TRUE, FALSE, name.c_str());
    }
    if (legacyEvent_ == nullptr)
        legacyEvent_ = CreateEventA(nullptr, TRUE, FALSE, logmap::kLegacyEventName);
    if (event_ == nullptr && legacyEvent_ == nullptr)
        return false;
    listener_ = listener;
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr));
    return thread_ != nullptr;
}

unsigned __stdcall WIN32_LogReader::ThreadMain(void* self) {
    try {
        return static_cast<WIN32_LogReader*>(self)->Run();
    } catch (...) {
        // A failing scan or listener ends the reader; there is nobody to tell.
        return 0;
    }
}

unsigned WIN32_LogReader::Run() {
    HANDLE waits[3] = {stopEvent_, nullptr, nullptr};
    DWORD waitCount = 1;
    if (event_ != nullptr)
        waits[waitCount++] = event_;
    if (legacyEvent_ != nullptr)
        waits[waitCount++] = legacyEvent_;
    if (waitCount == 1)
        return 0;
    bool legacyOnly = event_ == nullptr;

    // Filled and emptied under the mutex; reserved here so that no
    // allocation happens while writers wait.
    std::vector<ALogEntry> batch;
    batch.reserve(logring::kSlots);

    Scan(mutex_, view_, seen_, batch);
    Scan(legacyMutex_, legacyView_, legacySeen_, batch);
    for (;;) {
        DWORD result = WaitForMultipleObjects(waitCount, waits, FALSE, kRescanInterval);
        if (result == WAIT_OBJECT_0)
            return 0;
        if (result == WAIT_TIMEOUT) {
            if (HasUnseen(view_, seen_))
                Scan(mutex_, view_, seen_, batch);
            if (HasUnseen(legacyView_, legacySeen_))
                Scan(legacyMutex_, legacyView_, legacySeen_, batch);
        } else if (result == WAIT_OBJECT_0 + 1) {
            if (legacyOnly)
                Scan(legacyMutex_, legacyView_, legacySeen_, batch);
            Scan(mutex_, view_, seen_, batch);
        } else if (result == WAIT_OBJECT_0 + 2) {
            Scan(legacyMutex_, legacyView_, legacySeen_, batch);
        } else if (result == WAIT_FAILED ||
                   (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + waitCount)) {
            return 0;
        }
    }
}

bool WIN32_LogReader::HasUnseen(const WIN32_LogMap* view, std::uint32_t seen) {
    // A look without the mutex, so that an idle reader never makes writers
    // wait. A 32-bit aligned field is never torn; a stale value only delays
    // the records to the next rescan.
    return view != nullptr && *static_cast<const volatile std::uint32_t*>(&view->count) != seen;
}

void WIN32_LogReader::Scan(HANDLE mutex, WIN32_LogMap* view, std::uint32_t& seen,
                           std::vector<ALogEntry>& batch) {
    if (view == nullptr || mutex == nullptr)
        return;
    DWORD result = WaitForSingleObject(mutex, kScanMutexTimeout);
    // Skipping leaves `seen` alone: the next scan picks these records up.
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED)
        return;
    std::uint32_t count = view->count;
    logring::Window window = logring::UnseenRecords(count, view->next, view->capacity, seen);
    batch.clear();
    for (std::uint32_t i = 0; i < window.length; ++i)
        batch.push_back(view->records[logring::SlotOf(window, i)]);
    seen = count;
    ReleaseMutex(mutex);

    for (ALogEntry& entry : batch)
        listener_->OnLogEntry(&entry);
    batch.clear();
}

} // namespace REDudi
