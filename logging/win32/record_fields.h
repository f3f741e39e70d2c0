// What the trace and critical writers put into every record alike: text
// fields cut to their size and zero-filled, and the time stamp.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace REDudi {
namespace logrecord {

// Copies at most size - 1 characters and zero-fills the rest, so that no
// bytes of an older record survive behind the terminator.
inline void CopyField(char* field, std::size_t size, const char* text) {
    std::strncpy(field, text != nullptr ? text : "", size);
    field[size - 1] = '\0';
}

// Seconds since 1970 from the system clock. The C runtime's time() consults
// the time zone on every call, which costs more than a whole record's
// formatting; the system time is a read of memory the kernel keeps current.
inline std::time_t SystemSeconds() {
    constexpr std::uint64_t kUnixEpoch = 116444736000000000ull; // in 100 ns since 1601
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<std::time_t>((ticks - kUnixEpoch) / 10000000ull);
}

// The calendar time, taken through local time and back as every writer of
// both logs does, so that all records of a machine agree. The round trip asks
// for the time zone, which costs more than the rest of a write; its result is
// kept for the second it belongs to, in one atomic word, so that a race only
// recomputes it.
inline std::uint32_t RecordTime() {
    static std::atomic<std::uint64_t> cached{0}; // raw second << 32 | round trip
    const std::time_t now = SystemSeconds();
    const std::uint32_t raw = static_cast<std::uint32_t>(now);
    const std::uint64_t last = cached.load(std::memory_order_relaxed);
    if (last != 0 && static_cast<std::uint32_t>(last >> 32) == raw)
        return static_cast<std::uint32_t>(last);
    std::time_t stamped = now;
    if (std::tm* local = std::localtime(&now)) {
        const std::time_t back = std::mktime(local);
        if (back != static_cast<std::time_t>(-1))
            stamped = back;
    }
    const std::uint32_t result = static_cast<std::uint32_t>(stamped);
    cached.store((static_cast<std::uint64_t>(raw) << 32) | result, std::memory_order_relaxed);
    return result;
}

// Stores `entry` in the next slot of a ring of `capacity` slots and counts
// it; the caller holds the log's mutex. A next index past the ring (a damaged
// header) starts again at slot 0.
template <class Map, class Entry>
void AppendToRing(Map& map, const Entry& entry, std::uint32_t capacity) {
    std::uint32_t slot = map.next;
    if (slot >= capacity)
        slot = 0;
    std::memcpy(&map.records[slot], &entry, sizeof entry);
    map.next = (slot + 1) % capacity;
    map.count = map.count + 1;
}

} // namespace logrecord
} // namespace REDudi
