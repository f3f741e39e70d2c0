// Layout and kernel-object names of the shared critical-log region, shared by
// the critical writer, its reader and the tools.
#pragma once

#include <REDudi/logging.h>

#include <cstddef>
#include <cstdint>

namespace REDudi {

#pragma pack(push, 1)
struct WIN32_CriticalLogMap {
    std::uint32_t size;     // 934416
    std::uint32_t next;     // slot the next record goes to
    std::uint32_t count;    // records written since creation, wraps at 2^32
    std::uint32_t capacity; // 400 when a writer created the region, 399 a reader
    ACriticalLogEntry records[400];
};
#pragma pack(pop)

// Other processes, built by other compilers and for either word size, read
// these bytes: every offset is pinned.
static_assert(sizeof(WIN32_CriticalLogMap) == 934416, "the region is shared with other processes");
static_assert(offsetof(WIN32_CriticalLogMap, records) == 16, "records follow the header");
static_assert(offsetof(ACriticalLogEntry, code) == 4, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, agent) == 8, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, version) == 40, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, module) == 56, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, className) == 88, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, subClass) == 152, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, time) == 216, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, level) == 220, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, process) == 221, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, thread) == 253, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, message) == 285, "critical record layout");
static_assert(offsetof(ACriticalLogEntry, reserved2) == 2333, "critical record layout");

namespace critmap {
constexpr std::uint32_t kRegionSize = sizeof(WIN32_CriticalLogMap);
constexpr std::uint32_t kSlots = 400;
constexpr std::uint32_t kWriterCapacity = 400;
constexpr std::uint32_t kReaderCapacity = 399;

// Made machine-wide with the "Global\" prefix.
constexpr char kMappingName[] = "DIVE::WIN32_CriticalLogger::Mapping";
constexpr char kMutexName[] = "DIVE::WIN32_CriticalLogger::Mutex";
constexpr char kEventName[] = "DIVE::WIN32_CriticalLogger::Event";

// The names of one critical log. Production code uses the machine's; tests
// give their own so that they can build regions nobody else shares.
struct Names {
    const char* mapping;
    const char* mutex;
    const char* event;
};
constexpr Names kMachineNames = {kMappingName, kMutexName, kEventName};
} // namespace critmap

} // namespace REDudi
