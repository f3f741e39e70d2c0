#include "win32/ring_snapshot.h"

#include <REDudi/platform.h>

#include "logging/ring_window.h"
#include "logging/win32/log_map.h"

#include <windows.h>

#include <algorithm>

namespace REDudi {
namespace logview {

namespace {

// Opens the set without creating it: a dump must not leave a region behind.
std::vector<ALogEntry> Snapshot(const PString& mutexName, const PString& mappingName) {
    std::vector<ALogEntry> records;
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, mutexName.c_str());
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, mappingName.c_str());
    void* view =
        mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, logmap::kRegionSize) : nullptr;
    if (mutex != nullptr && view != nullptr) {
        DWORD result = WaitForSingleObject(mutex, 5000);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            const auto* region = static_cast<const WIN32_LogMap*>(view);
            logring::Window window =
                logring::UnseenRecords(region->count, region->next, region->capacity, 0);
            records.reserve(window.length);
            for (std::uint32_t i = 0; i < window.length; ++i)
                records.push_back(region->records[logring::SlotOf(window, i)]);
            ReleaseMutex(mutex);
        }
    }
    if (view != nullptr)
        UnmapViewOfFile(view);
    if (mapping != nullptr)
        CloseHandle(mapping);
    if (mutex != nullptr)
        CloseHandle(mutex);
    return records;
}

} // namespace

std::vector<ALogEntry> SnapshotRings() {
    std::vector<ALogEntry> current = Snapshot(
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMutexName)),
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMappingName)));
    std::vector<ALogEntry> legacy =
        Snapshot(PString(logmap::kLegacyMutexName), PString(logmap::kLegacyMappingName));
    std::vector<ALogEntry> merged;
    merged.reserve(current.size() + legacy.size());
    // Each ring is in written order already; a merge keeps that order.
    std::merge(legacy.begin(), legacy.end(), current.begin(), current.end(),
               std::back_inserter(merged),
               [](const ALogEntry& a, const ALogEntry& b) { return a.time < b.time; });
    return merged;
}

} // namespace logview
} // namespace REDudi
