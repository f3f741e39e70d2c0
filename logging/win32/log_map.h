// Layout and kernel-object names of the shared trace-log region, shared by
// the writer and the reader.
#pragma once

#include <REDudi/logging.h>

#include <cstdint>

namespace REDudi {

#pragma pack(push, 1)
struct WIN32_LogMap {
    std::uint32_t size;     // 143216
    std::uint32_t next;     // slot the next record goes to
    std::uint32_t count;    // records written since creation, wraps at 2^32
    std::uint32_t capacity; // slots used by the ring: 199
    ALogEntry records[200];
};
#pragma pack(pop)
static_assert(sizeof(WIN32_LogMap) == 143216, "the region is shared with other processes");

namespace logmap {
constexpr std::uint32_t kRegionSize = sizeof(WIN32_LogMap);
constexpr std::uint32_t kCapacity = 199;

// The current set, made machine-wide with the "Global\" prefix.
constexpr char kMappingName[] = "DIVE::WIN32_Logger::Mapping2";
constexpr char kMutexName[] = "DIVE::WIN32_Logger::Mutex2";
constexpr char kEventName[] = "DIVE::WIN32_Logger::Event2";

// The legacy set of older writers, used as named, with default security.
constexpr char kLegacyMappingName[] = "DIVE::WIN32_Logger::Mapping";
constexpr char kLegacyMutexName[] = "DIVE::WIN32_Logger::Mutex";
constexpr char kLegacyEventName[] = "DIVE::WIN32_Logger::Event";
} // namespace logmap

} // namespace REDudi
