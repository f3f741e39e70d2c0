// The multi-reader lock against its peers, measured in one run:
//  - uncontended shared and exclusive acquire/release of the private lock
//    against a Windows SRWLOCK;
//  - the same for the named lock against the least kernel work any named
//    lock must do (waiting on a named mutex and releasing it);
//  - 8 reader threads and 1 writer thread on one lock for a while: the
//    acquisitions per second of each side and the writer's longest wait.
// Target: private shared locking within 2x of SRWLOCK; as the lock lives in
// kernel objects, the ratio to its own kernel calls is printed beside it.
#include <REDudi/threads.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace REDudi;
using Clock = std::chrono::steady_clock;

namespace {

const int kUncontendedCalls = 4000;
const int kRounds = 4;
const auto kContendedRun = std::chrono::milliseconds(1500);
const int kReaders = 8;

double NanosecondsPerCall(Clock::time_point start, int calls) {
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / calls;
}

// One round of calls, in nanoseconds per call.
template <class Body>
double Round(Body body) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < kUncontendedCalls / kRounds; ++i)
        body();
    return NanosecondsPerCall(start, kUncontendedCalls / kRounds);
}

template <class Body>
double Measure(Body body) {
    body(); // warm up
    // The best of a few rounds: on a shared machine the slower rounds
    // measure the neighbours.
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round)
        best = std::min(best, Round(body));
    return best;
}

// Two bodies measured in alternating rounds, each keeping its best, so that
// load from elsewhere on the machine falls on both alike.
template <class Ours, class Floor>
std::pair<double, double> MeasureAlternating(Ours ours, Floor floor) {
    ours(); // warm up
    floor();
    std::pair<double, double> best(1e300, 1e300);
    for (int round = 0; round < kRounds; ++round) {
        best.first = std::min(best.first, Round(ours));
        best.second = std::min(best.second, Round(floor));
    }
    return best;
}

void PrintPair(const char* what, const char* peer, double ours, double theirs) {
    std::printf("%-34s REDudi %10.1f ns   %-14s %10.1f ns   ratio %6.1fx\n", what, ours, peer,
                theirs, ours / theirs);
}

// The lock under load: readers and one writer loop until the time is up.
struct Contention {
    long long readerAcquisitions = 0;
    long long writerAcquisitions = 0;
    long long writerTimeouts = 0;
    double longestWriterWaitMs = 0;
};

template <class Shared, class Exclusive>
Contention Contend(Shared shared, Exclusive exclusive) {
    std::atomic<bool> stop(false);
    std::atomic<long long> reads(0);
    Contention result;
    std::vector<std::thread> readers;
    for (int r = 0; r < kReaders; ++r) {
        readers.emplace_back([&] {
            long long mine = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                if (shared())
                    ++mine;
            }
            reads += mine;
        });
    }
    std::thread writer([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            Clock::time_point start = Clock::now();
            bool got = exclusive();
            double waited = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            result.longestWriterWaitMs = std::max(result.longestWriterWaitMs, waited);
            got ? ++result.writerAcquisitions : ++result.writerTimeouts;
            ::Sleep(1); // a writer that writes now and then, not flat out
        }
    });
    std::this_thread::sleep_for(kContendedRun);
    stop = true;
    writer.join();
    for (std::thread& reader : readers)
        reader.join();
    result.readerAcquisitions = reads;
    return result;
}

void PrintContention(const char* who, const Contention& c) {
    double seconds = std::chrono::duration<double>(kContendedRun).count();
    std::printf("%-8s readers %10.0f/s   writer %8.0f/s   writer timeouts %lld   longest writer "
                "wait %8.1f ms\n",
                who, c.readerAcquisitions / seconds, c.writerAcquisitions / seconds,
                c.writerTimeouts, c.longestWriterWaitMs);
}

} // namespace

int main() {
    AMRSWMutex lock("");
    std::string name = "mrsw_benchmark_" + std::to_string(GetCurrentProcessId());
    AMRSWMutex named(name.c_str());
    if (!lock.IsValid() || !named.IsValid()) {
        std::fprintf(stderr, "mrsw-benchmark: the lock could not be created\n");
        return 1;
    }
    SRWLOCK srw = SRWLOCK_INIT;
    HANDLE kernelMutex = CreateMutexA(nullptr, FALSE, ("mrsw_benchmark_floor_" + name).c_str());

    std::printf("Uncontended acquire + release, %d calls each (target: private shared within "
                "2x of SRWLOCK)\n",
                kUncontendedCalls);
    // The lock is three kernel objects by design, so besides SRWLOCK it is
    // measured against the kernel calls of its own algorithm, made here
    // directly on objects of the same kinds: that ratio shows what the
    // library itself adds.
    HANDLE entry = CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE noReaders = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE readers = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
    HANDLE entryAndReaders[2] = {entry, readers};
    HANDLE entryAndNoReaders[2] = {entry, noReaders};
    const auto [shared, sharedCalls] = MeasureAlternating(
        [&] {
            lock.AcquireShared(INFINITE);
            lock.ReleaseShared();
        },
        [&] {
            WaitForSingleObject(entry, INFINITE);
            ReleaseSemaphore(readers, 1, nullptr);
            ResetEvent(noReaders);
            ReleaseMutex(entry);
            WaitForMultipleObjects(2, entryAndReaders, TRUE, INFINITE);
            if (WaitForSingleObject(readers, 0) == WAIT_TIMEOUT)
                SetEvent(noReaders);
            ReleaseMutex(entry);
        });
    const auto [exclusive, exclusiveCalls] = MeasureAlternating(
        [&] {
            lock.AcquireExclusive(INFINITE);
            lock.ReleaseExclusive();
        },
        [&] {
            WaitForMultipleObjects(2, entryAndNoReaders, TRUE, INFINITE);
            ReleaseMutex(entry);
        });
    double srwShared = Measure([&] {
        AcquireSRWLockShared(&srw);
        ReleaseSRWLockShared(&srw);
    });
    double srwExclusive = Measure([&] {
        AcquireSRWLockExclusive(&srw);
        ReleaseSRWLockExclusive(&srw);
    });
    PrintPair("private shared", "SRWLOCK", shared, srwShared);
    PrintPair("private exclusive", "SRWLOCK", exclusive, srwExclusive);
    PrintPair("private shared", "its kernel calls", shared, sharedCalls);
    PrintPair("private exclusive", "its kernel calls", exclusive, exclusiveCalls);
    for (HANDLE handle : {entry, noReaders, readers})
        CloseHandle(handle);
    double floor = Measure([&] {
        WaitForSingleObject(kernelMutex, INFINITE);
        ReleaseMutex(kernelMutex);
    });
    PrintPair("named shared", "named mutex", Measure([&] {
                  named.AcquireShared(INFINITE);
                  named.ReleaseShared();
              }),
              floor);
    PrintPair("named exclusive", "named mutex", Measure([&] {
                  named.AcquireExclusive(INFINITE);
                  named.ReleaseExclusive();
              }),
              floor);
    std::printf("target %s: private shared is %.1fx SRWLOCK, %.2fx its own kernel calls (an "
                "SRWLOCK stays in user mode; this lock's waits and counts live in kernel "
                "objects, so its own kernel calls are the floor it can reach)\n",
                shared <= 2 * srwShared ? "met" : "NOT met", shared / srwShared,
                shared / sharedCalls);

    std::printf("\n%d reader threads and 1 writer thread for %.1f s\n", kReaders,
                std::chrono::duration<double>(kContendedRun).count());
    PrintContention("REDudi", Contend(
                                  [&] {
                                      if (!lock.AcquireShared(5000))
                                          return false;
                                      lock.ReleaseShared();
                                      return true;
                                  },
                                  [&] {
                                      if (!lock.AcquireExclusive(5000))
                                          return false;
                                      lock.ReleaseExclusive();
                                      return true;
                                  }));
    PrintContention("SRWLOCK", Contend(
                                   [&] {
                                       AcquireSRWLockShared(&srw);
                                       ReleaseSRWLockShared(&srw);
                                       return true;
                                   },
                                   [&] {
                                       AcquireSRWLockExclusive(&srw);
                                       ReleaseSRWLockExclusive(&srw);
                                       return true;
                                   }));
    CloseHandle(kernelMutex);
    return 0;
}
