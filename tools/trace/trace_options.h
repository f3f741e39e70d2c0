// Command line of redudi-trace: the one record to write.
#pragma once

#include <string>

namespace REDudi {
namespace trace {

struct TraceOptions {
    std::string className = "GENERAL";
    std::string subClass = "GENERAL";
    // A script's note is the ordinary course of events, not an error.
    unsigned char level = 3;
    unsigned int flags = 0;
    std::string message;
};

enum class ParseResult { kRun, kHelp, kError };

// Fills `options` from the arguments after the program name; the words that
// follow the options (or "--") form the message, joined by single spaces.
ParseResult ParseTraceOptions(int argc, const char* const* argv, TraceOptions& options,
                              std::string& error);

extern const char kTraceUsage[];

} // namespace trace
} // namespace REDudi
