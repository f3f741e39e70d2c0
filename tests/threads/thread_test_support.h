// Small helpers shared by the thread tests: every wait is bounded.
#pragma once

#include <REDudi/threads.h>

#include <gtest/gtest.h>

#include <atomic>
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
    for (Clock::time_point deadline = Clock::now() + kPatience; !predicate();) {
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

// Runs `body` on another thread and waits for it, never for ever.
template <class Body>
void OnOtherThread(Body body) {
    std::future<void> done = std::async(std::launch::async, body);
    if (Arrives(done))
        done.get();
    else
        ADD_FAILURE() << "the other thread hangs";
}

// Whether another thread can take `mutex` at once (it lets go again).
template <class M>
bool FreeForOthers(M& mutex) {
    bool taken = false;
    OnOtherThread([&] {
        if ((taken = mutex.Acquire(0u)))
            mutex.Release();
    });
    return taken;
}

// Holds a mutex on another thread from construction until LetGo (or the end).
class Holder {
public:
    explicit Holder(REDudi::AMutex& mutex) {
        thread_ = std::thread([this, &mutex] {
            mutex.Acquire(nullptr);
            held_.set_value();
            letGo_.get_future().wait_for(kPatience);
            mutex.Release();
        });
        std::future<void> held = held_.get_future();
        EXPECT_TRUE(Arrives(held));
    }
    ~Holder() {
        LetGo();
        thread_.join();
    }
    void LetGo() {
        if (!released_.exchange(true))
            letGo_.set_value();
    }

private:
    std::promise<void> held_, letGo_;
    std::atomic<bool> released_{false};
    std::thread thread_;
};

} // namespace threads_test
