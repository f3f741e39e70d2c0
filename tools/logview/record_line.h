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
// Texts are converted from the ANSI code page to UTF-8.
std::string FormatRecord(const ALogEntry& entry, bool utc);

// One JSON object, without the line end: time (ISO 8601, UTC), process,
// thread, class, subclass, level, flags, message and region ("current" or
// "legacy"). Valid JSON whatever bytes the record holds.
std::string FormatJson(const ALogEntry& entry, bool legacy);

// ANSI text as UTF-8; a byte the code page cannot convert becomes U+FFFD.
std::string AnsiToUtf8(const std::string& text);

} // namespace logview
} // namespace REDudi
