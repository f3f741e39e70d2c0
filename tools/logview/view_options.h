// Command line of redudi-logview: what to show and when to stop.
#pragma once

#include <string>

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
};

enum class ParseResult { kRun, kHelp, kError };

// Fills `options` from the arguments after the program name; on kError,
// `error` says what was wrong.
ParseResult ParseViewOptions(int argc, const char* const* argv, ViewOptions& options,
                             std::string& error);

extern const char kViewUsage[];

} // namespace logview
} // namespace REDudi
