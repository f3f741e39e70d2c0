// Small helpers shared by the thread tests: every wait is bounded.
#pragma once

#include <REDudi/threads.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
        if ((taken = mutex.Acquire(0u, nullptr)))
            mutex.Release();
    });
    return taken;
}

// Holds `mutex` on another thread until LetGo; unless `release`, it ends still holding it.
class Holder {
public:
    explicit Holder(REDudi::AMutex& mutex, bool release = true) {
        thread_ = std::thread([this, &mutex, release] {
            mutex.Acquire(nullptr);
            held_.set_value();
            letGo_.get_future().wait_for(kPatience);
            if (release)
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

enum class Wait { kEvent, kSleep, kMutex, kBusy };

// Records events until "stop" (result 5), or blocks as `wait` says; unwinding sets `threw`.
class Worker : public REDudi::AThread {
public:
    explicit Worker(Wait wait = Wait::kEvent, std::atomic<bool>* threw = nullptr,
                    REDudi::AMutex* mutex = nullptr)
        : wait_(wait), threw_(threw), mutex_(mutex) {
        SetDeadlockTimeout(kPatienceMs);
    }
    ~Worker() override { Terminate(false); }
    REDudi::Thread* thread() { return OwnThread(); }

    // Executes and waits until Run is about to block.
    bool Start() {
        running_ = std::promise<void>();
        std::future<void> running = running_.get_future();
        return Execute() && Arrives(running);
    }

    // The names (and times) once `count` arrived, after `quiet` ms more.
    std::vector<std::string> Names(size_t count = 0, int quiet = 0,
                                   std::vector<long long>* times = nullptr) {
        EventuallyTrue([&] {
            std::lock_guard<std::mutex> hold(lock_);
            return names_.size() >= count;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(quiet));
        std::lock_guard<std::mutex> hold(lock_);
        if (times != nullptr)
            *times = times_;
        return names_;
    }

protected:
    unsigned int Run() override {
        running_.set_value();
        try {
            REDudi::PString name;
            while (wait_ == Wait::kEvent && WaitForEvent(name) && name != "stop") {
                std::lock_guard<std::mutex> hold(lock_);
                names_.push_back(name);
                times_.push_back(MillisecondsSince(start_));
            }
            if (wait_ == Wait::kSleep)
                Sleep(kPatienceMs);
            else if (wait_ == Wait::kMutex)
                mutex_->Acquire(OwnThread());
            while (wait_ == Wait::kBusy && busy_.load()) {
            }
        } catch (REDudi::ThreadTerminateException&) {
            if (threw_ != nullptr)
                *threw_ = true;
            throw;
        }
        return 5;
    }

private:
    const Wait wait_;
    std::atomic<bool>* threw_;
    REDudi::AMutex* mutex_;
    std::atomic<bool> busy_{true}; // read on every turn of the busy loop
    std::promise<void> running_;
    const Clock::time_point start_ = Clock::now();
    std::mutex lock_;
    std::vector<std::string> names_;
    std::vector<long long> times_;
};

} // namespace threads_test
