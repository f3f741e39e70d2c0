// Measures what one Trace call costs against the kernel work it cannot
// avoid: waiting on the log's named mutex, pulsing its event and releasing
// the mutex. Both are measured in the same run, alone and with 2 and 4
// writer processes (copies of this program) working at the same time.
//
//   trace-benchmark.exe             runs every configuration, prints a table
//   trace-benchmark.exe worker ...  a competing writer (started by the above)
#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "logging/win32/log_map.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

constexpr int kRounds = 7;
constexpr int kCallsPerRound = 4000;

enum Phase : LONG { kIdle, kFloor, kTrace, kExit };

// Shared with the competing writers: the phase they should work in and how
// many of them are running.
struct Control {
    volatile LONG phase;
    volatile LONG ready;
};

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

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Microseconds per call of `work`, over one round.
template <class Work> double Measure(Work work) {
    const double start = Now();
    for (int i = 0; i < kCallsPerRound; ++i)
        work(i);
    return (Now() - start) * 1e6 / kCallsPerRound;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Control* MapControl(const char* name, HANDLE* mapping) {
    *mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Control), name);
    if (*mapping == nullptr)
        return nullptr;
    return static_cast<Control*>(MapViewOfFile(*mapping, FILE_MAP_WRITE, 0, 0, sizeof(Control)));
}

// A competing writer: does whatever the current phase asks until told to exit.
int Worker(const char* controlName) {
    HANDLE mapping = nullptr;
    Control* control = MapControl(controlName, &mapping);
    if (control == nullptr)
        return 1;
    LogObjects objects;
    InterlockedIncrement(&control->ready);
    for (int i = 0;; ++i) {
        switch (control->phase) {
        case kFloor:
            objects.Floor();
            break;
        case kTrace:
            Trace("trace-benchmark competing writer %d", i);
            break;
        case kExit:
            return 0;
        default:
            Sleep(1);
        }
    }
}

std::vector<PROCESS_INFORMATION> StartWorkers(int count, const std::string& controlName) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::vector<PROCESS_INFORMATION> workers;
    for (int i = 0; i < count; ++i) {
        std::string command = "\"" + std::string(path) + "\" worker " + controlName;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info))
            workers.push_back(info);
    }
    return workers;
}

bool WaitUntilReady(const Control& control, int count) {
    for (int waited = 0; control.ready < count; waited += 10) {
        if (waited > 30000)
            return false;
        Sleep(10);
    }
    return true;
}

void StopWorkers(Control* control, std::vector<PROCESS_INFORMATION>& workers) {
    InterlockedExchange(&control->phase, kExit);
    for (PROCESS_INFORMATION& worker : workers) {
        if (WaitForSingleObject(worker.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(worker.hProcess, 1);
        CloseHandle(worker.hProcess);
        CloseHandle(worker.hThread);
    }
}

// One configuration: `writers` processes at work, this one measuring.
bool RunConfiguration(int writers) {
    const std::string controlName =
        "REDudi::TraceBenchmark::Control::" + std::to_string(GetCurrentProcessId()) +
        "::" + std::to_string(writers);
    HANDLE mapping = nullptr;
    Control* control = MapControl(controlName.c_str(), &mapping);
    if (control == nullptr)
        return false;
    control->phase = kIdle;
    control->ready = 0;
    std::vector<PROCESS_INFORMATION> workers = StartWorkers(writers - 1, controlName);
    if (static_cast<int>(workers.size()) != writers - 1 || !WaitUntilReady(*control, writers - 1)) {
        StopWorkers(control, workers);
        return false;
    }

    LogObjects objects;
    std::vector<double> floor, trace;
    // Rounds alternate, so that drifts of the machine hit both alike.
    for (int round = 0; round < kRounds; ++round) {
        InterlockedExchange(&control->phase, kFloor);
        floor.push_back(Measure([&](int) { objects.Floor(); }));
        InterlockedExchange(&control->phase, kTrace);
        trace.push_back(Measure([](int i) { Trace("trace-benchmark record %d", i); }));
    }
    StopWorkers(control, workers);
    UnmapViewOfFile(control);
    CloseHandle(mapping);

    const double floorUs = Median(floor);
    const double traceUs = Median(trace);
    std::printf("%7d  %12.2f  %12.2f  %6.2fx\n", writers, floorUs, traceUs, traceUs / floorUs);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "worker") == 0)
        return Worker(argv[2]);

    std::printf("Trace call against its kernel floor (wait on the log mutex, pulse the event,\n"
                "release), microseconds per call, median of %d rounds of %d calls.\n",
                kRounds, kCallsPerRound);
    std::printf("writers  floor (us/op)  trace (us/op)   ratio\n");
    for (int writers : {1, 2, 4})
        if (!RunConfiguration(writers)) {
            std::printf("%7d  could not start the competing writers\n", writers);
            return 1;
        }
    return 0;
}
