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

// Lines are UTF-8. A console gets them through the wide console API, so that
// any character shows whatever its code page; a pipe or a file gets UTF-8.
class Output {
public:
    Output() {
        console_ = GetStdHandle(STD_OUTPUT_HANDLE);
        DWORD mode = 0;
        if (console_ == nullptr || console_ == INVALID_HANDLE_VALUE ||
            !GetConsoleMode(console_, &mode))
            console_ = nullptr;
    }

    void Line(std::string line) {
        line += '\n';
        if (console_ != nullptr) {
            Utf8StdString utf8(line.begin(), line.end());
            UnicodeStdString wide;
            if (ConvertUTF8ToUnicode(utf8, wide)) {
                DWORD written = 0;
                WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written,
                              nullptr);
                return;
            }
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
        // Whoever reads a pipe sees each record as it comes.
        std::fflush(stdout);
    }

private:
    HANDLE console_ = nullptr;
};

void PrintRecord(Output& output, const ViewOptions& options, const ALogEntry& entry,
                 bool legacy) {
    output.Line(options.json ? FormatJson(entry, legacy) : FormatRecord(entry, options.utc));
}

// Prints on the reader's thread; tells the main thread when enough is shown.
class Printer : public LogReaderListener {
public:
    Printer(const ViewOptions& options, HANDLE done) : options_(options), done_(done) {}

    void OnLogEntry(ALogEntry* entry) override {
        if (finished_ || !Matches(options_, *entry))
            return;
        PrintRecord(output_, options_, *entry, options_.json && legacy_.Holds(*entry));
        if (options_.count > 0 && ++shown_ >= options_.count) {
            finished_ = true;
            SetEvent(done_);
        }
    }

private:
    const ViewOptions& options_;
    HANDLE done_;
    Output output_;
    LegacyRing legacy_;
    long shown_ = 0;
    bool finished_ = false;
};

int Dump(const ViewOptions& options) {
    long shown = 0;
    Output output;
    for (const SnapshotRecord& record : SnapshotRings()) {
        if (options.count > 0 && shown >= options.count)
            break;
        if (!Matches(options, record.entry))
            continue;
        PrintRecord(output, options, record.entry, record.legacy);
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
