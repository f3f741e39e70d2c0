// Which slots of the trace-log ring a reader has not seen yet. Shared by the
// live reader and the tools that take a snapshot of the ring.
#pragma once

#include <cstdint>

namespace REDudi {
namespace logring {

// The region holds this many record slots, whatever its capacity field says.
constexpr std::uint32_t kSlots = 200;

struct Window {
    std::uint32_t first;    // slot of the oldest unseen record still present
    std::uint32_t length;   // number of unseen records still present
    std::uint32_t capacity; // the ring size to take slot indices modulo
};

// The unseen records of a ring of `capacity` slots (at least one), where
// `count` and `seen` are the region's running record count and the reader's
// count at its last scan; the difference wraps like the counters do. What
// exceeds the capacity has been overwritten and is skipped.
inline Window UnseenInRing(std::uint32_t count, std::uint32_t next, std::uint32_t capacity,
                           std::uint32_t seen) {
    next %= capacity;
    std::uint32_t length = count - seen;
    if (length > capacity)
        length = capacity;
    std::uint32_t first = next >= length ? next - length : capacity - (length - next);
    return Window{first, length, capacity};
}

// The same for the trace log's region as its header describes it.
inline Window UnseenRecords(std::uint32_t count, std::uint32_t next, std::uint32_t capacity,
                            std::uint32_t seen) {
    // A capacity of 0 would mean a region nobody initialised: there is no ring
    // to read. One beyond the slots in the region would index past its end.
    if (capacity == 0)
        return Window{0, 0, 0};
    return UnseenInRing(count, next, capacity > kSlots ? kSlots : capacity, seen);
}

inline std::uint32_t SlotOf(const Window& window, std::uint32_t i) {
    return (window.first + i) % window.capacity;
}

} // namespace logring
} // namespace REDudi
