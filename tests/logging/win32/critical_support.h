// Test-side access to critical logs: private ones, whose names no other test
// uses, and the machine's, with their region seen as another process sees it.
#pragma once

#include "win32/log_support.h"

#include "logging/win32/critical_log_map.h"

#include <atomic>

namespace REDudi {
namespace testing {

inline std::string GlobalName(const char* name) {
    return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
}

// Names of a critical log of the test's own.
class PrivateLogNames {
public:
    PrivateLogNames()
        : mapping_(Unique("Mapping")), mutex_(Unique("Mutex")),
          event_(Unique("Event")), names_{mapping_.c_str(), mutex_.c_str(), event_.c_str()} {}
    const critmap::Names& Names() const { return names_; }

private:
    static std::string Unique(const char* role) {
        static std::atomic<unsigned> serial{0};
        return "REDudiTest::Critical::" + std::to_string(GetCurrentProcessId()) +
               "::" + std::to_string(++serial) + "::" + role;
    }
    std::string mapping_, mutex_, event_;
    critmap::Names names_;
};

// A critical log's region and mutex, opened (never created) by name.
class CriticalRegionView {
public:
    explicit CriticalRegionView(const critmap::Names& names = critmap::kMachineNames)
        : mapping_(OpenFileMappingA(FILE_MAP_WRITE, FALSE, GlobalName(names.mapping).c_str())),
          mutex_(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE,
                            GlobalName(names.mutex).c_str())) {
        if (mapping_ != nullptr)
            map_ = static_cast<WIN32_CriticalLogMap*>(
                MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, critmap::kRegionSize));
    }
    ~CriticalRegionView() {
        if (map_ != nullptr)
            UnmapViewOfFile(map_);
        CloseIfOpen(mapping_);
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
    HANDLE mapping_, mutex_;
    WIN32_CriticalLogMap* map_ = nullptr;
};

} // namespace testing
} // namespace REDudi
