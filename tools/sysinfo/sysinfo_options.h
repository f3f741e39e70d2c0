// Command line of redudi-sysinfo.
#pragma once

#include <string>

namespace REDudi {
namespace sysinfo {

struct SysinfoOptions {
    bool json = false;
    // Also time the processor, whatever the registry says.
    bool measure = false;
    // Set by --version: report this file's version instead of the machine.
    bool fileVersion = false;
    std::string file;
};

enum class ParseResult { kRun, kHelp, kError };

// Fills `options` from the arguments after the program name.
ParseResult ParseSysinfoOptions(int argc, const char* const* argv, SysinfoOptions& options,
                                std::string& error);

extern const char kSysinfoUsage[];

} // namespace sysinfo
} // namespace REDudi
