// Measures what one critical record written through CritLogTrace costs
// against the kernel work it cannot avoid: waiting on the critical log's
// named mutex, pulsing its event, releasing the mutex, plus the trace call
// that mirrors every record into the trace log. Both are measured in the same
// run, alone and with 2 and 4 writer processes (copies of this program)
// working at the same time. Then the critical log reader's records per second
// under 4 writer processes writing flat out.
//
//   critical-benchmark.exe             runs every configuration, prints a table
//   critical-benchmark.exe worker ...  a competing writer (started by the above)
#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "benchmarks/win32/competing_writers.h"
#include "logging/win32/critical_log_map.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

constexpr int kRounds = 11;
constexpr int kCallsPerRound = 2000;
constexpr double kTarget = 1.3;
constexpr DWORD kReaderRunMs = 2000;
const char* const kControlPrefix = "REDudi::CriticalBenchmark";

PString Global(const char* name) {
    return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
}

// The kernel objects of the critical log, opened as the writer opens them,
// and a trace facade like the writer's mirror.
struct Floor {
    Floor() {
        AdvancedPlatformSupport support;
        SECURITY_ATTRIBUTES* security = support.GetAllAccessSecurityAttributes();
        event = CreateEventA(security, TRUE, FALSE, Global(critmap::kEventName).c_str());
        mutex = CreateMutexA(security, FALSE, Global(critmap::kMutexName).c_str());
        mirror.SetClass(PString("UNKNOWN"));
    }
    ~Floor() {
        CloseHandle(event);
        CloseHandle(mutex);
    }
    void Run(int i) {
        mirror.Trace(static_cast<unsigned char>(5), "%s", "critical-benchmark floor record");
        (void)i;
        if (WaitForSingleObject(mutex, 5000) == WAIT_TIMEOUT)
            return;
        PulseEvent(event);
        ReleaseMutex(mutex);
    }
    HANDLE event;
    HANDLE mutex;
    ALogger mirror;
};

void Critical(int i) {
    CritLogTrace(i, "critical-benchmark record %d", i);
}

class Counter : public CriticalLogReaderListener {
public:
    void OnLogEntry(ACriticalLogEntry*) override { InterlockedIncrement(&count_); }
    LONG Count() const { return count_; }

private:
    volatile LONG count_ = 0;
};

bool RunReader() {
    Counter counter;
    CriticalLogReader* reader = CriticalLogReader::GetNewCriticalLogReader();
    if (reader == nullptr || !reader->Start(&counter)) {
        delete reader;
        return false;
    }
    Sleep(200); // the first scan delivers what the ring already holds
    bench::Workers writers(4, kControlPrefix, "reader");
    if (!writers.Ok()) {
        delete reader;
        return false;
    }
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, Global(critmap::kMappingName).c_str());
    const auto* region = static_cast<const WIN32_CriticalLogMap*>(
        mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, critmap::kRegionSize) : nullptr);
    const LONG deliveredBefore = counter.Count();
    const std::uint32_t writtenBefore = region ? region->count : 0;
    const double start = bench::Now();
    writers.Set(bench::kMeasured);
    Sleep(kReaderRunMs);
    writers.Set(bench::kIdle);
    Sleep(1000); // lets the reader catch up with the last burst
    const double seconds = bench::Now() - start;
    const double delivered = counter.Count() - deliveredBefore;
    const double written = region ? static_cast<double>(region->count - writtenBefore) : 0;
    reader->Stop(2000);
    delete reader;
    if (region != nullptr)
        UnmapViewOfFile(region);
    if (mapping != nullptr)
        CloseHandle(mapping);
    std::printf("reader under 4 writer processes: %.0f records/s delivered, %.0f records/s "
                "written, %.0f of %.0f delivered (the rest overwritten in the 400-slot ring)\n",
                delivered / seconds, written / seconds, delivered, written);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "worker") == 0) {
        Floor floor;
        return bench::RunWorker(
            argv[2], [&](int i) { floor.Run(i); }, Critical);
    }

    std::printf("CritLogTrace against its kernel floor (wait on the critical mutex, pulse the\n"
                "event, release, plus the mirrored trace call), microseconds per call,\n"
                "median of %d rounds of %d calls; the ratio is the median of each round's\n"
                "time over the floor measured just before it. Target: within %.1fx of the floor.\n",
                kRounds, kCallsPerRound, kTarget);
    Floor floor;
    if (!bench::CompareWithFloor(
            kControlPrefix, "critical", kRounds, kCallsPerRound, kTarget,
            [&](int i) { floor.Run(i); }, Critical))
        return 1;
    if (!RunReader()) {
        std::printf("the reader could not be started\n");
        return 1;
    }
    return 0;
}
