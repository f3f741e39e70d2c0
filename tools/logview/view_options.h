// Command line of redudi-logview: what to show and when to stop.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace REDudi {
namespace logview {

struct ViewOptions {
    bool dump = false;     // print what the ring holds and exit
    std::string className; // exact class to show; empty shows all
    std::string subClass;  // exact subclass to show; empty shows all
    std::string text;      // text the message must contain; empty shows all
    int maxLevel = -1;     // highest level to show; -1 shows all
    long count = -1;       // stop after this many shown records; -1 never
    double timeout = -1;   // stop following after this many seconds; -1 never
    bool utc = false;      // times in UTC instead of local time
    bool json = false;     // one JSON object per record and line
    std::vector<unsigned long> processes; // processes to show; empty shows all
    bool hasSince = false; // show only records written at or after `since`
    std::uint32_t since = 0; // seconds since 1970 (UTC)
};

// "2026-12-06T21:30:00Z" (UTC), the same without "Z" or with a space for
// the "T" (local time), a date alone (local midnight), or an age such as
// "90s", "15m", "2h", "1d" counted back from `now`. False for anything else.
bool ParseSince(const char* text, std::time_t now, std::uint32_t& since);

enum class ParseResult { kRun, kHelp, kError };

// Fills `options` from the arguments after the program name; on kError,
// `error` says what was wrong.
ParseResult ParseViewOptions(int argc, const char* const* argv, ViewOptions& options,
                             std::string& error);

extern const char kViewUsage[];

} // namespace logview
} // namespace REDudi
