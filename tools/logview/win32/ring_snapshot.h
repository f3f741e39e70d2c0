// A copy of what the trace-log rings hold right now, without following them.
#pragma once

#include <REDudi/logging.h>

#include <vector>

namespace REDudi {
namespace logview {

struct SnapshotRecord {
    ALogEntry entry;
    bool legacy; // from the legacy region
};

// The records of the current and the legacy region, oldest first, merged by
// time. A region nobody has created yet contributes nothing.
std::vector<SnapshotRecord> SnapshotRings();

// Whether `entry` is one the legacy region holds now. The reader does not
// say which region a record came from; a record of the other region cannot
// match byte for byte, since process, thread, time and text would all agree.
class LegacyRing {
public:
    LegacyRing() = default;
    ~LegacyRing();
    LegacyRing(const LegacyRing&) = delete;
    LegacyRing& operator=(const LegacyRing&) = delete;
    bool Holds(const ALogEntry& entry) const;

private:
    // Opened on first use: the reader may create the region after this.
    mutable void* mapping_ = nullptr;
    mutable const void* view_ = nullptr;
};

} // namespace logview
} // namespace REDudi
