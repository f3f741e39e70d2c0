// Filtering and printing one trace-log record as a line of redudi-logview.
#pragma once

#include <REDudi/logging.h>

#include "view_options.h"

#include <string>

namespace REDudi {
namespace logview {

bool Matches(const ViewOptions& options, const ALogEntry& entry);

// "2026-12-05 22:53:10 0x1a4 0x1b0 Class/SubClass L3 message", without the
// line end. Line breaks and other control characters in the message become
// spaces, so that every record stays one line.
std::string FormatRecord(const ALogEntry& entry, bool utc);

} // namespace logview
} // namespace REDudi
