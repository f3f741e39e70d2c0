// How many records per second one LogReader delivers while several writer
// processes trace flat out, and whether it lost any record the ring still
// held. The baseline is the writers' own rate with no reader running,
// measured in the same run.
//   reader_throughput [RECORDS_PER_WRITER] [WRITERS] [LISTENER_PAUSE_MS]
// A listener pause makes the reader fall behind on purpose, so that the ring
// overwrites records it has not read and the skipping is checked too.
#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "bench_names.h"
#include "logging/win32/log_map.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Beside(const char* name) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

// Checks every delivery against the ring's rules: tickets rise; a jump means
// records were overwritten, and is legitimate only at the start of a scan
// that then delivers a whole ring (199 records) without a further jump.
class CheckingListener : public LogReaderListener {
public:
    CheckingListener(std::string className, int writers, std::uint32_t firstTicket, DWORD pause)
        : className_(std::move(className)), nextSequence_(writers, 0), expected_(firstTicket),
          pause_(pause) {
        arrived_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }

    void OnLogEntry(ALogEntry* entry) override {
        if (className_ != entry->className)
            return;
        int writer = 0, sequence = 0;
        unsigned ticket = 0;
        if (std::sscanf(entry->message, "%d %d %u", &writer, &sequence, &ticket) != 3 ||
            writer < 0 || writer >= static_cast<int>(nextSequence_.size())) {
            ++malformed_;
            return;
        }
        if (ticket < expected_) {
            ++outOfOrder_;
        } else if (ticket > expected_) {
            skipped_ += ticket - expected_;
            if (runLeft_ > 0)
                ++lostWhileHeld_;
            runLeft_ = logmap::kCapacity - 1;
        } else if (runLeft_ > 0) {
            --runLeft_;
        }
        expected_ = ticket + 1;
        if (sequence < nextSequence_[writer])
            ++outOfOrder_;
        nextSequence_[writer] = sequence + 1;
        ++delivered_;
        if (pause_ > 0)
            Sleep(pause_);
        lastDelivery_ = Now();
        SetEvent(arrived_);
    }

    // Waits until the record with `lastTicket` came or nothing came for 3 s.
    void WaitForEnd(std::uint32_t lastTicket) {
        while (expected_ <= lastTicket) {
            if (WaitForSingleObject(arrived_, 3000) == WAIT_TIMEOUT)
                return;
        }
    }

    HANDLE arrived_;
    std::string className_;
    std::vector<int> nextSequence_;
    std::uint32_t expected_;
    DWORD pause_;
    std::uint32_t runLeft_ = 0;
    long long delivered_ = 0, skipped_ = 0, lostWhileHeld_ = 0, outOfOrder_ = 0, malformed_ = 0;
    double lastDelivery_ = 0;
};

struct Phase {
    double start = 0, written = 0;
    bool ok = false;
};

// Starts the writers, lets them go at once, and waits for them to end.
Phase RunWriters(const std::string& className, int writers, int records) {
    Phase phase;
    HANDLE ready = CreateSemaphoreA(nullptr, 0, writers, bench::kReadySemaphore);
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, bench::kStartEvent);
    std::vector<PROCESS_INFORMATION> processes;
    for (int w = 0; w < writers; ++w) {
        std::string line = "\"" + Beside("trace_flood.exe") + "\" " + className + " " +
                           std::to_string(w) + " " + std::to_string(records);
        std::vector<char> text(line.begin(), line.end());
        text.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info)) {
            std::fprintf(stderr, "cannot start %s\n", line.c_str());
            return phase;
        }
        processes.push_back(info);
    }
    for (int w = 0; w < writers; ++w) {
        if (WaitForSingleObject(ready, 30000) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "the writers did not get ready\n");
            return phase;
        }
    }
    phase.start = Now();
    SetEvent(start);
    phase.ok = true;
    for (PROCESS_INFORMATION& info : processes) {
        DWORD exitCode = 1;
        if (WaitForSingleObject(info.hProcess, 300000) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(info.hProcess, &exitCode) || exitCode != 0)
            phase.ok = false;
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    phase.written = Now();
    CloseHandle(ready);
    CloseHandle(start);
    return phase;
}

std::uint32_t RegionCount() {
    HANDLE mapping = OpenFileMappingA(
        FILE_MAP_READ, FALSE,
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMappingName))
            .c_str());
    std::uint32_t count = 0;
    if (mapping != nullptr) {
        const auto* region = static_cast<const WIN32_LogMap*>(
            MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, logmap::kRegionSize));
        if (region != nullptr) {
            count = region->count;
            UnmapViewOfFile(region);
        }
        CloseHandle(mapping);
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    int records = argc > 1 ? std::atoi(argv[1]) : 20000;
    int writers = argc > 2 ? std::atoi(argv[2]) : 4;
    int pause = argc > 3 ? std::atoi(argv[3]) : 0;
    if (records <= 0 || writers <= 0 || pause < 0) {
        std::fprintf(stderr, "usage: reader_throughput [RECORDS_PER_WRITER] [WRITERS] "
                             "[LISTENER_PAUSE_MS]\n");
        return 2;
    }
    long long total = static_cast<long long>(records) * writers;
    std::string tag = std::to_string(GetCurrentProcessId());

    // Constructed but not started, the reader keeps the regions alive
    // between the writers of both phases.
    std::unique_ptr<LogReader> reader(LogReader::GetNewLogReader());

    // An untimed round first, so that neither phase pays for Wine warming up.
    if (!RunWriters("BenchWarm" + tag, writers, records < 2000 ? records : 2000).ok)
        return 1;
    Phase baseline = RunWriters("BenchBase" + tag, writers, records);
    if (!baseline.ok)
        return 1;
    double baselineRate = total / (baseline.written - baseline.start);

    std::uint32_t firstTicket = RegionCount();
    CheckingListener listener("BenchRead" + tag, writers, firstTicket, static_cast<DWORD>(pause));
    // The reader catches up on the baseline's records first; they are not
    // counted, and the writers start only after that.
    if (!reader->Start(&listener))
        return 1;
    Sleep(1000);
    Phase timed = RunWriters("BenchRead" + tag, writers, records);
    if (!timed.ok)
        return 1;
    listener.WaitForEnd(firstTicket + static_cast<std::uint32_t>(total) - 1);
    reader.reset();

    double writtenRate = total / (timed.written - timed.start);
    double deliveredSeconds = listener.lastDelivery_ - timed.start;
    double deliveredRate = listener.delivered_ / deliveredSeconds;
    long long missingTail = static_cast<long long>(firstTicket + total - listener.expected_);
    std::printf("Trace-log reader, %d writer processes x %d records, flat out%s\n", writers,
                records, pause > 0 ? ", listener pausing after each record" : "");
    std::printf("  writers, no reader running (baseline): %10.0f records/s\n", baselineRate);
    std::printf("  writers, one reader following:         %10.0f records/s  (%.2f x baseline)\n",
                writtenRate, writtenRate / baselineRate);
    std::printf("  reader delivered:                      %10.0f records/s  (%.2f x the "
                "writers' rate)\n",
                deliveredRate, deliveredRate / writtenRate);
    std::printf("  delivered %lld of %lld records (%.1f%%); %lld overwritten before the reader "
                "got to them\n",
                listener.delivered_, total, 100.0 * listener.delivered_ / total, listener.skipped_);
    std::printf("  lost though the ring still held them: %lld; out of order: %lld; "
                "last records never delivered: %lld\n",
                listener.lostWhileHeld_, listener.outOfOrder_, missingTail);
    bool clean = listener.lostWhileHeld_ == 0 && listener.outOfOrder_ == 0 &&
                 listener.malformed_ == 0 && missingTail == 0 &&
                 listener.delivered_ + listener.skipped_ == total;
    return clean ? 0 : 1;
}
