// A copy of what the trace-log rings hold right now, without following them.
#pragma once

#include <REDudi/logging.h>

#include <vector>

namespace REDudi {
namespace logview {

// The records of the current and the legacy region, oldest first, merged by
// time. A region nobody has created yet contributes nothing.
std::vector<ALogEntry> SnapshotRings();

} // namespace logview
} // namespace REDudi
