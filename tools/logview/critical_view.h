// redudi-logview --critical: options and the printed form of one record of
// the machine's critical log.
#pragma once

#include <REDudi/logging.h>

#include <string>

namespace REDudi {
namespace logview {

struct CriticalViewOptions {
    bool dump = false;          // print what the ring holds and exit
    bool markDelivered = false; // act as the machine's reader: mark what is printed
    bool json = false;          // one JSON object per line
    std::string agent;          // exact agent to show; empty shows all
    bool hasCode = false;
    long code = 0;       // only records of this code
    long count = -1;     // stop after this many shown records; -1 never
    double timeout = -1; // stop following after this many seconds; -1 never
    bool utc = false;    // times in UTC instead of local time
};

enum class CriticalParse { kRun, kHelp, kError };

// True when the arguments after the program name ask for the critical log.
bool WantsCriticalLog(int argc, const char* const* argv);

CriticalParse ParseCriticalViewOptions(int argc, const char* const* argv,
                                       CriticalViewOptions& options, std::string& error);

bool MatchesCritical(const CriticalViewOptions& options, const ACriticalLogEntry& entry);

// "2026-12-05 22:53:10 0x1a4 0x1b0 #7 Agent Module 1.2.3.4 Class/Sub L5 new message"
// or, with `json`, one JSON object. No line end; control characters in texts
// become spaces so that every record stays one line.
std::string FormatCriticalRecord(const ACriticalLogEntry& entry, bool utc, bool json);

// Runs the critical mode (implemented per platform); returns the exit code.
int RunCriticalView(int argc, const char* const* argv);

extern const char kCriticalViewUsage[];

} // namespace logview
} // namespace REDudi
