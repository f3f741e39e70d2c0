// Which slots of the critical-log ring a reader has not seen yet, and the
// ring size a region's header stands for. Portable, shared by the reader and
// the tools.
#pragma once

#include "logging/ring_window.h"

#include <cstdint>

namespace REDudi {
namespace critring {

// The region holds this many record slots, whatever its capacity field says.
constexpr std::uint32_t kSlots = 400;

// The slot count both writers and readers take from the header. A capacity
// of 0 (a region nobody initialised, or a damaged one) or one beyond the
// slots that exist is taken as the full region: writers and readers agree,
// nothing divides by zero and no index passes the region's end.
inline std::uint32_t RingCapacity(std::uint32_t capacity) {
    return capacity == 0 || capacity > kSlots ? kSlots : capacity;
}

using logring::SlotOf;
using logring::Window;

// The unseen records of the critical ring as its header describes it.
inline Window UnseenRecords(std::uint32_t count, std::uint32_t next, std::uint32_t capacity,
                            std::uint32_t seen) {
    return logring::UnseenInRing(count, next, RingCapacity(capacity), seen);
}

// Whether the record that was number `sequence` (its count before it was
// written) still lies in its slot when the region's count reads `count`.
inline bool StillPresent(std::uint32_t count, std::uint32_t sequence, std::uint32_t capacity) {
    return count - sequence <= RingCapacity(capacity);
}

} // namespace critring
} // namespace REDudi
