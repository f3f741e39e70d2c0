// redudi-logview --critical on Windows: a dump of the ring, a watcher that
// leaves the records as they are, or the machine's reader that marks them.
#include "critical_view.h"

#include "logging/critical_ring.h"
#include "logging/win32/critical_log_region.h"
#include "logging/win32/log_region.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace REDudi {
namespace logview {

namespace {

constexpr DWORD kMutexLimit = 5000;
// A pulse that comes while the watcher prints is lost; it looks again this
// often.
constexpr DWORD kWatchInterval = 250;

void PrintLine(const ACriticalLogEntry& entry, const CriticalViewOptions& options) {
    std::string line = FormatCriticalRecord(entry, options.utc, options.json);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// Counts what is shown and says when enough has been.
class Shown {
public:
    explicit Shown(const CriticalViewOptions& options) : options_(options) {}
    // False once the count is reached (nothing more is printed).
    bool Show(const ACriticalLogEntry& entry) {
        if (Done())
            return false;
        if (!MatchesCritical(options_, entry))
            return true;
        PrintLine(entry, options_);
        ++shown_;
        return !Done();
    }
    bool Done() const { return options_.count > 0 && shown_ >= options_.count; }

private:
    const CriticalViewOptions& options_;
    long shown_ = 0;
};

// The region, its mutex and its event, opened without creating any of them.
class OpenedLog {
public:
    OpenedLog() {
        mutex_ = OpenMutexA(SYNCHRONIZE, FALSE, CriticalObjectName(critmap::kMutexName).c_str());
        event_ = OpenEventA(SYNCHRONIZE, FALSE, CriticalObjectName(critmap::kEventName).c_str());
        view_ =
            OpenExistingCriticalRegion(CriticalObjectName(critmap::kMappingName).c_str(), mapping_);
    }
    ~OpenedLog() {
        CloseCriticalRegion(view_, mapping_);
        CloseIfOpen(mutex_);
        CloseIfOpen(event_);
    }
    bool IsOpen() const { return view_ != nullptr && mutex_ != nullptr && event_ != nullptr; }

    // Copies the records written since `seen`, oldest first; false when the
    // mutex could not be had (the records come with the next call).
    bool CopyNew(std::uint32_t& seen, std::vector<ACriticalLogEntry>& records) {
        records.clear();
        const DWORD result = WaitForSingleObject(mutex_, kMutexLimit);
        if (result == WAIT_TIMEOUT || result == WAIT_FAILED)
            return false;
        const std::uint32_t count = view_->count;
        const critring::Window window =
            critring::UnseenRecords(count, view_->next, view_->capacity, seen);
        for (std::uint32_t i = 0; i < window.length; ++i)
            records.push_back(view_->records[critring::SlotOf(window, i)]);
        seen = count;
        ReleaseMutex(mutex_);
        return true;
    }

    HANDLE Event() const { return event_; }

private:
    HANDLE mutex_ = nullptr;
    HANDLE event_ = nullptr;
    HANDLE mapping_ = nullptr;
    WIN32_CriticalLogMap* view_ = nullptr;
};

DWORD Deadline(const CriticalViewOptions& options) {
    return options.timeout < 0 ? INFINITE : static_cast<DWORD>(options.timeout * 1000);
}

int Dump(const CriticalViewOptions& options) {
    OpenedLog log;
    std::vector<ACriticalLogEntry> records;
    std::uint32_t seen = 0;
    if (!log.IsOpen() || !log.CopyNew(seen, records)) {
        std::fprintf(stderr, "redudi-logview: cannot read the critical log\n");
        return 1;
    }
    Shown shown(options);
    for (const ACriticalLogEntry& entry : records)
        if (!shown.Show(entry))
            break;
    return 0;
}

int Watch(const CriticalViewOptions& options) {
    OpenedLog log;
    if (!log.IsOpen()) {
        std::fprintf(stderr, "redudi-logview: cannot open the critical log\n");
        return 1;
    }
    Shown shown(options);
    std::vector<ACriticalLogEntry> records;
    std::uint32_t seen = 0;
    const DWORD limit = Deadline(options);
    const DWORD start = GetTickCount();
    for (;;) {
        if (log.CopyNew(seen, records))
            for (const ACriticalLogEntry& entry : records)
                if (!shown.Show(entry))
                    return 0;
        const DWORD spent = GetTickCount() - start;
        if (limit != INFINITE && spent >= limit)
            break;
        WaitForSingleObject(log.Event(), limit == INFINITE || limit - spent > kWatchInterval
                                             ? kWatchInterval
                                             : limit - spent);
    }
    return options.count > 0 ? 1 : 0;
}

class MarkingPrinter : public CriticalLogReaderListener {
public:
    MarkingPrinter(const CriticalViewOptions& options, HANDLE done)
        : shown_(options), done_(done) {}
    void OnLogEntry(ACriticalLogEntry* entry) override {
        if (!shown_.Show(*entry) || shown_.Done())
            SetEvent(done_);
    }

private:
    Shown shown_;
    HANDLE done_;
};

int Read(const CriticalViewOptions& options) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        std::fprintf(stderr, "redudi-logview: cannot create an event\n");
        return 1;
    }
    MarkingPrinter printer(options, done);
    std::unique_ptr<CriticalLogReader> reader(CriticalLogReader::GetNewCriticalLogReader());
    if (!reader || !reader->Start(&printer)) {
        std::fprintf(stderr, "redudi-logview: cannot open the critical log\n");
        CloseHandle(done);
        return 1;
    }
    const bool counted = WaitForSingleObject(done, Deadline(options)) == WAIT_OBJECT_0;
    // Lets the last printed record's mark land before the printer goes away.
    reader->Stop(2000);
    reader.reset();
    CloseHandle(done);
    return options.count > 0 && !counted ? 1 : 0;
}

} // namespace

int RunCriticalView(int argc, const char* const* argv) {
    CriticalViewOptions options;
    std::string error;
    switch (ParseCriticalViewOptions(argc, argv, options, error)) {
    case CriticalParse::kHelp:
        std::fputs(kCriticalViewUsage, stdout);
        return 0;
    case CriticalParse::kError:
        std::fprintf(stderr, "redudi-logview: %s\nTry 'redudi-logview --critical --help'.\n",
                     error.c_str());
        return 2;
    case CriticalParse::kRun:
        break;
    }
    if (options.dump)
        return Dump(options);
    return options.markDelivered ? Read(options) : Watch(options);
}

} // namespace logview
} // namespace REDudi
