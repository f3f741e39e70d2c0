// Command line of redudi-critlog: the record's fields and its message.
#pragma once

#include <string>

namespace REDudi {
namespace critlog {

struct CritLogOptions {
    int code = 0;
    bool hasAgent = false, hasModule = false, hasClass = false, hasSubClass = false;
    std::string agent, module, className, subClass;
    int level = -1; // -1: the writer's default level
    std::string message;
};

enum class ParseResult { kRun, kHelp, kError };

// Fills `options` from the arguments after the program name; on kError,
// `error` says what was wrong.
ParseResult ParseCritLogOptions(int argc, const char* const* argv, CritLogOptions& options,
                                std::string& error);

extern const char kCritLogUsage[];

} // namespace critlog
} // namespace REDudi
