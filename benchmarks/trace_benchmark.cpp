// Measures what one Trace call costs against the kernel work it cannot
// avoid: waiting on the log's named mutex, pulsing its event and releasing
// the mutex. Both are measured in the same run, alone and with 2 and 4
// writer processes (copies of this program) working at the same time.
//
//   trace-benchmark.exe             runs every configuration, prints a table
//   trace-benchmark.exe worker ...  a competing writer (started by the above)
#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "benchmarks/win32/competing_writers.h"
#include "logging/win32/log_map.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

constexpr int kRounds = 11;
constexpr int kCallsPerRound = 4000;
constexpr double kTarget = 1.05;

// The kernel objects of the log, opened exactly as the writer opens them.
struct LogObjects {
    LogObjects() {
        AdvancedPlatformSupport support;
        SECURITY_ATTRIBUTES* security = support.GetAllAccessSecurityAttributes();
        event = CreateEventA(security, TRUE, FALSE, Global(logmap::kEventName).c_str());
        mutex = CreateMutexA(security, FALSE, Global(logmap::kMutexName).c_str());
    }
    ~LogObjects() {
        CloseHandle(event);
        CloseHandle(mutex);
    }
    static PString Global(const char* name) {
        return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
    }
    // The floor: what every record costs in kernel calls.
    void Floor() {
        if (WaitForSingleObject(mutex, 1000) == WAIT_TIMEOUT)
            return;
        PulseEvent(event);
        ReleaseMutex(mutex);
    }
    HANDLE event;
    HANDLE mutex;
};

void TraceOne(int i) {
    Trace("trace-benchmark record %d", i);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "worker") == 0) {
        LogObjects objects;
        return bench::RunWorker(
            argv[2], [&](int) { objects.Floor(); }, TraceOne);
    }

    std::printf("Trace call against its kernel floor (wait on the log mutex, pulse the event,\n"
                "release), microseconds per call, median of %d rounds of %d calls; the ratio is\n"
                "the median of each round's trace time over the floor measured just before it.\n"
                "Target: within %.2fx of the floor.\n",
                kRounds, kCallsPerRound, kTarget);
    LogObjects objects;
    return bench::CompareWithFloor(
               "REDudi::TraceBenchmark", "trace", kRounds, kCallsPerRound, kTarget,
               [&](int) { objects.Floor(); }, TraceOne)
               ? 0
               : 1;
}
