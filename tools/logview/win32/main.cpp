// redudi-logview: follows the machine's trace log live, like `tail -f`.
#include <REDudi/logging.h>

#include "critical_view.h"
#include "record_line.h"
#include "view_options.h"
#include "win32/ring_snapshot.h"

#include <windows.h>

#include <cstdio>
#include <memory>

using namespace REDudi;
using namespace REDudi::logview;

namespace {

void PrintLine(const ALogEntry& entry, bool utc) {
    std::string line = FormatRecord(entry, utc);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    // Whoever reads a pipe sees each record as it comes.
    std::fflush(stdout);
}

// Prints on the reader's thread; tells the main thread when enough is shown.
class Printer : public LogReaderListener {
public:
    Printer(const ViewOptions& options, HANDLE done) : options_(options), done_(done) {}

    void OnLogEntry(ALogEntry* entry) override {
        if (finished_ || !Matches(options_, *entry))
            return;
        PrintLine(*entry, options_.utc);
        if (options_.count > 0 && ++shown_ >= options_.count) {
            finished_ = true;
            SetEvent(done_);
        }
    }

private:
    const ViewOptions& options_;
    HANDLE done_;
    long shown_ = 0;
    bool finished_ = false;
};

int Dump(const ViewOptions& options) {
    long shown = 0;
    for (const ALogEntry& entry : SnapshotRings()) {
        if (options.count > 0 && shown >= options.count)
            break;
        if (!Matches(options, entry))
            continue;
        PrintLine(entry, options.utc);
        ++shown;
    }
    return 0;
}

int Follow(const ViewOptions& options) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        std::fprintf(stderr, "redudi-logview: cannot create an event\n");
        return 1;
    }
    Printer printer(options, done);
    std::unique_ptr<LogReader> reader(LogReader::GetNewLogReader());
    if (!reader || !reader->Start(&printer)) {
        std::fprintf(stderr, "redudi-logview: cannot open the trace log\n");
        CloseHandle(done);
        return 1;
    }
    DWORD timeout = options.timeout < 0 ? INFINITE : static_cast<DWORD>(options.timeout * 1000);
    bool counted = WaitForSingleObject(done, timeout) == WAIT_OBJECT_0;
    // Stops the reader before the printer it calls goes away.
    reader.reset();
    CloseHandle(done);
    // A script that asked for N records learns whether they all came.
    return options.count > 0 && !counted ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (WantsCriticalLog(argc - 1, argv + 1))
        return RunCriticalView(argc - 1, argv + 1);
    ViewOptions options;
    std::string error;
    switch (ParseViewOptions(argc - 1, argv + 1, options, error)) {
    case ParseResult::kHelp:
        std::fputs(kViewUsage, stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "redudi-logview: %s\nTry 'redudi-logview --help'.\n", error.c_str());
        return 2;
    case ParseResult::kRun:
        break;
    }
    return options.dump ? Dump(options) : Follow(options);
}
