// Small helpers shared by the thread tests: every wait is bounded.
#pragma once

#include <REDudi/threads.h>

#include <chrono>
#include <future>
#include <thread>

namespace threads_test {

using Clock = std::chrono::steady_clock;

// Long enough for a loaded machine, short enough that a fault fails fast.
constexpr std::chrono::seconds kPatience(10);
constexpr unsigned int kPatienceMs = 10000;

inline long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

template <class Predicate>
bool EventuallyTrue(Predicate predicate) {
    Clock::time_point deadline = Clock::now() + kPatience;
    while (!predicate()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

template <class T>
bool Arrives(std::future<T>& future) {
    return future.wait_for(kPatience) == std::future_status::ready;
}

// Whether another thread can take `mutex` at once (it lets go again).
template <class M>
bool FreeForOthers(M& mutex) {
    return std::async(std::launch::async,
                      [&mutex] {
                          bool taken = mutex.Acquire(0u);
                          if (taken)
                              mutex.Release();
                          return taken;
                      })
        .get();
}

} // namespace threads_test
