#include "win32/ring_snapshot.h"

#include <REDudi/platform.h>

#include "logging/ring_window.h"
#include "logging/win32/log_map.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

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

std::vector<SnapshotRecord> SnapshotRings() {
    std::vector<ALogEntry> current = Snapshot(
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMutexName)),
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMappingName)));
    std::vector<ALogEntry> legacy =
        Snapshot(PString(logmap::kLegacyMutexName), PString(logmap::kLegacyMappingName));
    std::vector<SnapshotRecord> tagged, merged;
    tagged.reserve(current.size() + legacy.size());
    for (const ALogEntry& entry : current)
        tagged.push_back({entry, false});
    for (const ALogEntry& entry : legacy)
        tagged.push_back({entry, true});
    merged.reserve(tagged.size());
    // Each ring is in written order already; a merge keeps that order.
    auto middle = tagged.begin() + static_cast<std::ptrdiff_t>(current.size());
    std::merge(middle, tagged.end(), tagged.begin(), middle, std::back_inserter(merged),
               [](const SnapshotRecord& a, const SnapshotRecord& b) {
                   return a.entry.time < b.entry.time;
               });
    return merged;
}

LegacyRing::~LegacyRing() {
    if (view_ != nullptr)
        UnmapViewOfFile(view_);
    if (mapping_ != nullptr)
        CloseHandle(mapping_);
}

bool LegacyRing::Holds(const ALogEntry& entry) const {
    if (mapping_ == nullptr)
        mapping_ = OpenFileMappingA(FILE_MAP_READ, FALSE, logmap::kLegacyMappingName);
    if (mapping_ != nullptr && view_ == nullptr)
        view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, logmap::kRegionSize);
    if (view_ == nullptr)
        return false;
    const auto* region = static_cast<const WIN32_LogMap*>(view_);
    // Read without the mutex: a slot being rewritten just fails to match.
    if (region->count == 0)
        return false;
    for (const ALogEntry& slot : region->records)
        if (std::memcmp(&slot, &entry, sizeof entry) == 0)
            return true;
    return false;
}

} // namespace logview
} // namespace REDudi
