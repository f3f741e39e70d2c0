// Shared set-up of the log tests: one set of the trace log's kernel objects
// opened as any other process opens it and written directly (which reaches
// the legacy set the library never writes), listeners that keep what a
// reader delivers, and programs of this build.
#pragma once

#include "logging/win32/log_region.h"
#include "win32/child_process.h"

#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace REDudi {
namespace testing {

// Holds a mutex for a scope (at most 10 s to get it); abandoned counts as held.
class HeldMutex {
public:
    explicit HeldMutex(HANDLE mutex) : mutex_(mutex) {
        const DWORD result = WaitForSingleObject(mutex_, 10000);
        held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~HeldMutex() {
        if (held_)
            ReleaseMutex(mutex_);
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_;
};

// Polls `done` every 10 ms; false once `timeout` ms have passed without it.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeout = 10000) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(10))
        if (GetTickCount() - start >= timeout)
            return false;
    return true;
}

class LogRegion {
public:
    enum class Set { kCurrent, kLegacy };
    explicit LogRegion(Set set = Set::kCurrent) {
        AdvancedPlatformSupport support;
        const bool current = set == Set::kCurrent;
        SECURITY_ATTRIBUTES* security =
            current ? support.GetAllAccessSecurityAttributes() : nullptr;
        auto name = [&](const char* global, const char* legacy) {
            return current
                       ? AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(global))
                       : PString(legacy);
        };
        event_ = CreateEventA(security, TRUE, FALSE,
                              name(logmap::kEventName, logmap::kLegacyEventName).c_str());
        mutex_ = CreateMutexA(security, FALSE,
                              name(logmap::kMutexName, logmap::kLegacyMutexName).c_str());
        HeldMutex lock(mutex_);
        if (event_ != nullptr && lock.Held())
            view_ = OpenLogRegion(name(logmap::kMappingName, logmap::kLegacyMappingName).c_str(),
                                  security, mapping_);
    }
    ~LogRegion() {
        CloseLogRegion(view_, mapping_);
        CloseIfOpen(mutex_);
        CloseIfOpen(event_);
    }
    LogRegion(const LogRegion&) = delete;
    LogRegion& operator=(const LogRegion&) = delete;

    bool IsOpen() const { return view_ != nullptr; }
    WIN32_LogMap& Map() const { return *view_; }
    // The mutex is recursive: its holder can still trace, and nobody else
    // writes in between, which keeps checks exact.
    HANDLE Mutex() const { return mutex_; }
    bool Lock() {
        const DWORD result = WaitForSingleObject(mutex_, 10000);
        return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    void Unlock() { ReleaseMutex(mutex_); }
    // The record `back` places before the newest, by the header's own ring.
    const ALogEntry& Last(unsigned back = 0) const {
        return view_->records[(view_->next + 2 * view_->capacity - 1 - back) % view_->capacity];
    }

    // The newest record `match` accepts, looking back one ring; the caller
    // holds the mutex. Other processes of the machine may trace meanwhile.
    template <class Match>
    const ALogEntry* Newest(Match match) const {
        for (unsigned back = 0; back < view_->capacity; ++back)
            if (match(Last(back)))
                return &Last(back);
        return nullptr;
    }

    // Stores one record as the library's writer does (a `time` of 0 is now).
    bool Write(const std::string& className, const std::string& message,
               const char* subClass = "Sub", unsigned char level = 3, unsigned int flags = 0,
               std::uint32_t time = 0) {
        HeldMutex lock(mutex_);
        if (view_ == nullptr || !lock.Held())
            return false;
        ALogEntry& entry = view_->records[view_->next % view_->capacity];
        entry = ALogEntry{};
        std::snprintf(entry.className, sizeof entry.className, "%s", className.c_str());
        std::snprintf(entry.subClass, sizeof entry.subClass, "%s", subClass);
        std::snprintf(entry.message, sizeof entry.message, "%s", message.c_str());
        std::snprintf(entry.process, sizeof entry.process, "0x%lx", GetCurrentProcessId());
        std::snprintf(entry.thread, sizeof entry.thread, "0x%lx", GetCurrentThreadId());
        entry.time = time != 0 ? time : static_cast<std::uint32_t>(std::time(nullptr));
        entry.flags = flags;
        entry.level = level;
        view_->next = (view_->next + 1) % view_->capacity;
        view_->count = view_->count + 1;
        PulseEvent(event_);
        return true;
    }

private:
    HANDLE mutex_ = nullptr, event_ = nullptr, mapping_ = nullptr;
    WIN32_LogMap* view_ = nullptr;
};

// Keeps the messages a reader delivers (of class `only`, unless empty: other
// tests share the machine's log). Can hold the reader's thread in the call
// that receives `blockAt` until Release, and throw at `throwAt`.
template <class Listener, class Entry>
class Collector : public Listener {
public:
    explicit Collector(std::string onlyClass = "") : only(std::move(onlyClass)) {}
    ~Collector() {
        CloseHandle(blocked_);
        CloseHandle(release_);
    }
    void OnLogEntry(Entry* entry) override {
        if (!only.empty() && only != entry->className)
            return;
        if (throwAt == entry->message)
            throw std::runtime_error("listener failure");
        {
            std::lock_guard<std::mutex> lock(mutex_);
            messages_.push_back(entry->message);
        }
        if (blockAt == entry->message) {
            SetEvent(blocked_);
            WaitForSingleObject(release_, 20000); // a failing test never hangs the reader
        }
    }
    bool WaitUntilBlocked() { return WaitForSingleObject(blocked_, 10000) == WAIT_OBJECT_0; }
    void Release() { SetEvent(release_); }
    std::vector<std::string> Messages() {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }
    // Waits until `count` messages came, or one equal to `last`; what came.
    std::vector<std::string> WaitFor(std::size_t count, DWORD timeout = 10000,
                                     const std::string& last = "\x01") {
        WaitUntil(
            [&] {
                std::vector<std::string> got = Messages();
                return got.size() >= count || (!got.empty() && got.back() == last);
            },
            timeout);
        return Messages();
    }

    const std::string only;
    std::string blockAt, throwAt;

private:
    HANDLE blocked_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::mutex mutex_;
    std::vector<std::string> messages_;
};

using TraceCollector = Collector<LogReaderListener, ALogEntry>;
using CriticalCollector = Collector<CriticalLogReaderListener, ACriticalLogEntry>;

// A manual-reset event another process can open by `name` (unless empty).
struct NamedEvent {
    explicit NamedEvent(const std::string& eventName)
        : name(eventName), handle(CreateEventA(nullptr, TRUE, FALSE,
                                               eventName.empty() ? nullptr : eventName.c_str())) {}
    ~NamedEvent() { CloseHandle(handle); }
    const std::string name;
    const HANDLE handle;
};

// A process or thread identifier as the records spell it.
inline std::string IdText(DWORD id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

inline std::string CommandBeside(const char* program, const std::string& arguments) {
    return "\"" + ExecutableBeside(program) + "\" " + arguments;
}

// Runs `program` to its end, its stdout and stderr into `output`; its exit
// code, or ~0u when it had to be killed.
inline DWORD RunBeside(const char* program, const std::string& arguments,
                       std::string* output = nullptr) {
    const std::string file = output != nullptr ? TemporaryFile("run") : std::string();
    ChildProcess child;
    DWORD exitCode = ~0u;
    if (!child.Start(CommandBeside(program, arguments), file) || !child.Wait(30000, exitCode))
        exitCode = ~0u;
    if (output != nullptr) {
        *output = ReadWholeFile(file);
        DeleteFileA(file.c_str());
    }
    return exitCode;
}

// Starts log_helper with `arguments` and an event it sets once under way.
inline bool StartHelper(ChildProcess& helper, const std::string& arguments) {
    static int serial = 0;
    NamedEvent ready(OwnTestClass("ready") + "." + std::to_string(++serial));
    return helper.Start(CommandBeside("log_helper.exe", arguments + " " + ready.name)) &&
           WaitForSingleObject(ready.handle, 30000) == WAIT_OBJECT_0;
}

} // namespace testing
} // namespace REDudi
