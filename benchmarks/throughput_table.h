// Collects each benchmark's throughput and, after the run, prints for every
// case the library's throughput against each peer measured in the same run.
// Benchmarks are named "<case>/<implementation>"; the library is "REDudi".
// A benchmark registered several times (rounds interleaved with its peers,
// so that a burst of load on the machine hits all of them alike) counts
// with its best round.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class ThroughputTable : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto perMegabyte = run.counters.find("s_per_MB");
            if (!run.error_occurred && perMegabyte != run.counters.end())
                secondsPerMegabyte_[run.benchmark_name()] = perMegabyte->second.value;
            auto found = run.counters.find("bytes_per_second");
            if (run.error_occurred || found == run.counters.end() ||
                run.run_type != Run::RT_Iteration)
                continue;
            std::string name = run.run_name.function_name;
            std::size_t slash = name.rfind('/');
            if (slash == std::string::npos)
                continue;
            double& best = rates_[name.substr(0, slash)][name.substr(slash + 1)];
            best = std::max(best, found->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        std::printf("\n%-28s %-10s %12s %18s\n", "case", "peer", "MB/s", "REDudi / peer");
        for (const auto& [name, rates] : rates_) {
            auto ours = rates.find("REDudi");
            for (const auto& [implementation, rate] : rates) {
                std::printf("%-28s %-10s %12.0f", name.c_str(), implementation.c_str(), rate / 1e6);
                if (ours != rates.end() && implementation != "REDudi")
                    std::printf(" %17.2fx", ours->second / rate);
                std::printf("\n");
            }
        }
    }

    // Time per megabyte of each run whose name starts with `prefix`, and the
    // largest over the smallest against the target.
    void PrintPerMegabyte(const std::string& prefix, double target) const {
        double lowest = 0, highest = 0;
        std::printf("\n%-28s %12s\n", "case", "ms per MB");
        for (const auto& [name, seconds] : secondsPerMegabyte_) {
            if (name.compare(0, prefix.size(), prefix) != 0)
                continue;
            std::printf("%-28s %12.3f\n", name.c_str(), seconds * 1e3);
            lowest = lowest == 0 || seconds < lowest ? seconds : lowest;
            highest = seconds > highest ? seconds : highest;
        }
        if (lowest > 0)
            std::printf("%-28s %11.2fx (target at most %.2fx)\n", "slowest / fastest",
                        highest / lowest, target);
    }

private:
    std::map<std::string, std::map<std::string, double>> rates_;
    std::map<std::string, double> secondsPerMegabyte_;
};

} // namespace bench
