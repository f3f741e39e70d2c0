// What the log benchmarks share: a clock, a median over rounds, and writer
// processes (copies of the benchmark itself, started with "worker NAME")
// that compete for a log while this process measures. A small shared
// control block tells them which phase to work in.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

enum Phase : LONG { kIdle, kFloor, kMeasured, kExit };

struct Control {
    volatile LONG phase;
    volatile LONG ready;
};

inline double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Microseconds per call of `work(i)` over `calls` calls.
template <class Work>
double MicrosecondsPerCall(int calls, Work work) {
    const double start = Now();
    for (int i = 0; i < calls; ++i)
        work(i);
    return (Now() - start) * 1e6 / calls;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of the per-round ratios measured[i] / floor[i]. Each pair ran
// back to back, so a machine that speeds up or slows down between rounds
// moves both alike; the ratio of two medians would mix different rounds.
inline double MedianRatio(const std::vector<double>& measured, const std::vector<double>& floor) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < measured.size() && i < floor.size(); ++i)
        ratios.push_back(measured[i] / floor[i]);
    return Median(ratios);
}

inline Control* MapControl(const std::string& name, HANDLE* mapping) {
    *mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Control),
                                  name.c_str());
    if (*mapping == nullptr)
        return nullptr;
    return static_cast<Control*>(MapViewOfFile(*mapping, FILE_MAP_WRITE, 0, 0, sizeof(Control)));
}

// The body of a worker process: calls `floor(i)` or `measured(i)` as the
// phase asks until told to exit.
template <class Floor, class Measured>
int RunWorker(const char* controlName, Floor floor, Measured measured) {
    HANDLE mapping = nullptr;
    Control* control = MapControl(controlName, &mapping);
    if (control == nullptr)
        return 1;
    InterlockedIncrement(&control->ready);
    for (int i = 0;; ++i) {
        switch (control->phase) {
        case kFloor:
            floor(i);
            break;
        case kMeasured:
            measured(i);
            break;
        case kExit:
            return 0;
        default:
            Sleep(1);
        }
    }
}

// A scoped set of `count` worker processes sharing one control block named
// after `prefix`, this process and `tag`.
class Workers {
public:
    Workers(int count, const std::string& prefix, const std::string& tag) {
        const std::string name =
            prefix + "::Control::" + std::to_string(GetCurrentProcessId()) + "::" + tag;
        control_ = MapControl(name, &mapping_);
        if (control_ == nullptr)
            return;
        control_->phase = kIdle;
        control_->ready = 0;
        Start(count, name);
        ok_ = static_cast<int>(processes_.size()) == count && WaitUntilReady(count);
    }
    ~Workers() {
        if (control_ == nullptr)
            return;
        Set(kExit);
        for (PROCESS_INFORMATION& process : processes_) {
            if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        UnmapViewOfFile(control_);
        CloseHandle(mapping_);
    }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    bool Ok() const { return ok_; }
    void Set(Phase phase) { InterlockedExchange(&control_->phase, phase); }

private:
    void Start(int count, const std::string& name) {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        for (int i = 0; i < count; ++i) {
            std::string command = "\"" + std::string(path) + "\" worker " + name;
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION info = {};
            if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info))
                processes_.push_back(info);
        }
    }
    bool WaitUntilReady(int count) const {
        for (int waited = 0; control_->ready < count; waited += 10) {
            if (waited > 30000)
                return false;
            Sleep(10);
        }
        return true;
    }

    HANDLE mapping_ = nullptr;
    Control* control_ = nullptr;
    std::vector<PROCESS_INFORMATION> processes_;
    bool ok_ = false;
};

// Measures `floor(i)` and `measured(i)` in alternating rounds of `calls`
// calls, alone and with 1 and 3 worker processes competing, and prints a
// row per configuration (medians and the median per-round ratio) and the
// worst ratio against `target`. False when the workers could not start.
template <class Floor, class Measured>
bool CompareWithFloor(const char* prefix, const char* measuredName, int rounds, int calls,
                      double target, Floor floor, Measured measured) {
    std::printf("writers  floor (us/op)  %s (us/op)   ratio\n", measuredName);
    double worst = 0;
    for (int writers : {1, 2, 4}) {
        Workers others(writers - 1, prefix, std::to_string(writers));
        if (!others.Ok()) {
            std::printf("%7d  could not start the competing writers\n", writers);
            return false;
        }
        std::vector<double> floorUs, measuredUs;
        // Rounds alternate, so that drifts of the machine hit both alike.
        for (int round = 0; round < rounds; ++round) {
            others.Set(kFloor);
            floorUs.push_back(MicrosecondsPerCall(calls, floor));
            others.Set(kMeasured);
            measuredUs.push_back(MicrosecondsPerCall(calls, measured));
        }
        const double ratio = MedianRatio(measuredUs, floorUs);
        worst = std::max(worst, ratio);
        std::printf("%7d  %13.2f  %*.2f  %6.2fx\n", writers, Median(floorUs),
                    static_cast<int>(std::strlen(measuredName)) + 8, Median(measuredUs), ratio);
    }
    std::printf("worst ratio %.2fx: %s\n", worst,
                worst <= target ? "within target" : "ABOVE TARGET");
    return true;
}

} // namespace bench
