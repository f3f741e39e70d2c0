// A count of the changes made to any property bag of the process: stores,
// clears, assignments, and bags made or destroyed (a new bag may take a
// destroyed one's address). While it stands still, every bag answers as it
// did, so a reader may keep the answers it got instead of asking again.
#pragma once

#include <atomic>
#include <cstdint>

namespace REDudi {

extern std::atomic<std::uint64_t> bagChanges;

// Called while the change is still under the bag's lock (where it takes
// one), after the change: a reader that sees the old count was answered
// before the change could be seen.
inline void NoteBagChange() {
    bagChanges.fetch_add(1);
}

inline std::uint64_t BagChangeCount() {
    return bagChanges.load();
}

} // namespace REDudi
