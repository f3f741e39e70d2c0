// Shared set-up of the log tests: the logs opened as another process opens
// them, listeners that keep what a reader delivers, and programs of this build.
#pragma once

#include "logging/win32/critical_log_map.h"
#include "logging/win32/critical_log_region.h"
#include "logging/win32/log_region.h"
#include "win32/child_process.h"

#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
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

inline std::string GlobalName(const char* name) {
    return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
}

// A process or thread identifier as the records spell it.
inline std::string IdText(DWORD id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// A record's fields as one text, to compare whole records at once.
inline std::string Fields(const ALogEntry& e) {
    return std::string(e.className) + "/" + e.subClass + " L" + std::to_string(e.level) + " F" +
           std::to_string(e.flags) + " " + e.message;
}
inline std::string Fields(const ACriticalLogEntry& e) {
    return std::string(e.agent) + " " + e.module + " " + e.className + "/" + e.subClass + " #" +
           std::to_string(e.code) + " L" + std::to_string(e.level) + " " + e.message;
}

// A record as the library's writer makes it on this thread.
inline ALogEntry MakeEntry(const std::string& className, const std::string& message,
                           const char* subClass, unsigned char level, unsigned int flags,
                           std::uint32_t time) {
    ALogEntry entry = {};
    std::snprintf(entry.className, sizeof entry.className, "%s", className.c_str());
    std::snprintf(entry.subClass, sizeof entry.subClass, "%s", subClass);
    std::snprintf(entry.message, sizeof entry.message, "%s", message.c_str());
    std::snprintf(entry.process, sizeof entry.process, "%s", IdText(GetCurrentProcessId()).c_str());
    std::snprintf(entry.thread, sizeof entry.thread, "%s", IdText(GetCurrentThreadId()).c_str());
    entry.time = time;
    entry.flags = flags;
    entry.level = level;
    return entry;
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
            return current ? GlobalName(global) : std::string(legacy);
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
    // Recursive: its holder can still trace, and nobody else writes meanwhile.
    HANDLE Mutex() const { return mutex_; }
    // The record `back` places before the newest, by the header's own ring.
    const ALogEntry& Last(unsigned back = 0) const {
        return view_->records[(view_->next + 2 * view_->capacity - 1 - back) % view_->capacity];
    }

    // The newest record `match` accepts within one ring; the caller holds the mutex.
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
        view_->records[view_->next % view_->capacity] =
            MakeEntry(className, message, subClass, level, flags,
                      time != 0 ? time : static_cast<std::uint32_t>(std::time(nullptr)));
        view_->next = (view_->next + 1) % view_->capacity;
        view_->count = view_->count + 1;
        PulseEvent(event_);
        return true;
    }

private:
    HANDLE mutex_ = nullptr, event_ = nullptr, mapping_ = nullptr;
    WIN32_LogMap* view_ = nullptr;
};

// Names of a critical log of the test's own.
class PrivateLogNames {
public:
    const critmap::Names& Names() const { return names_; }

private:
    static inline std::atomic<unsigned> serial_{0};
    const std::string stem_ = "REDudiTest::Critical::" + std::to_string(GetCurrentProcessId()) +
                              "::" + std::to_string(++serial_) + "::";
    const std::string mapping_ = stem_ + "Mapping", mutex_ = stem_ + "Mutex",
                      event_ = stem_ + "Event";
    const critmap::Names names_{mapping_.c_str(), mutex_.c_str(), event_.c_str()};
};

// A critical log's region and mutex, opened (never created) by name.
class CriticalRegionView {
public:
    explicit CriticalRegionView(const critmap::Names& names = critmap::kMachineNames)
        : map_(OpenExistingCriticalRegion(GlobalName(names.mapping).c_str(), mapping_)),
          mutex_(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE,
                            GlobalName(names.mutex).c_str())) {}
    ~CriticalRegionView() {
        CloseCriticalRegion(map_, mapping_);
        CloseIfOpen(mutex_);
    }
    CriticalRegionView(const CriticalRegionView&) = delete;
    CriticalRegionView& operator=(const CriticalRegionView&) = delete;
    bool IsOpen() const { return map_ != nullptr && mutex_ != nullptr; }
    WIN32_CriticalLogMap& Map() const { return *map_; }
    HANDLE Mutex() const { return mutex_; }
    const ACriticalLogEntry& Last() const {
        return map_->records[(map_->next + map_->capacity - 1) % map_->capacity];
    }
    // The delivered marks ('0' or '1') of the records `select` picks, in slot order.
    template <class Select>
    std::string Marks(Select select) {
        HeldMutex lock(mutex_);
        std::string marks;
        for (const ACriticalLogEntry& e : map_->records)
            if (select(e))
                marks += e.delivered ? '1' : '0';
        return marks;
    }

private:
    HANDLE mapping_ = nullptr;
    WIN32_CriticalLogMap* map_;
    HANDLE mutex_;
};

// Keeps the messages a reader delivers (of class `only` unless empty); holds
// the reader's thread at `blockAt` until Release, and throws at `throwAt`.
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
    HANDLE blocked_ = CreateEventA(nullptr, FALSE, FALSE, nullptr); // once per block
    HANDLE release_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
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

// Runs `write` while another thread holds `mutex` until the second after
// `before` has begun, so that the write waits into that second. False when
// the mutex could not be taken for it.
inline bool WriteIntoNextSecond(HANDLE mutex, std::time_t before,
                                const std::function<void()>& write) {
    NamedEvent held("");
    std::thread holder([&] {
        HeldMutex lock(mutex);
        SetEvent(held.handle);
        while (std::time(nullptr) == before)
            Sleep(5);
    });
    const bool wrote = WaitForSingleObject(held.handle, 5000) == WAIT_OBJECT_0;
    if (wrote)
        write();
    holder.join();
    return wrote;
}

inline std::string CommandBeside(const char* program, const std::string& arguments) {
    return "\"" + ExecutableBeside(program) + "\" " + arguments;
}

// Runs `program` to its end, its output into `output`; its exit code, or ~0u.
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

// "prefix first" up to "prefix end" (not included).
inline std::vector<std::string> Numbered(const std::string& prefix, int first, int end) {
    std::vector<std::string> messages;
    for (int i = first; i < end; ++i)
        messages.push_back(prefix + " " + std::to_string(i));
    return messages;
}

// Output split into lines, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    return lines;
}

} // namespace testing
} // namespace REDudi
