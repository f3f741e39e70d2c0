#include "sysinfo_options.h"

#include <cstring>

namespace REDudi {
namespace sysinfo {

const char kSysinfoUsage[] =
    "Usage: redudi-sysinfo [--json] [--measure]\n"
    "       redudi-sysinfo [--json] --version FILE\n"
    "Prints what REDudi knows about this machine: Windows version and service pack,\n"
    "memory and the largest fixed drive in MB, processors, model, clock speed and\n"
    "where the speed came from, and the platform tag.\n"
    "\n"
    "  --json            one JSON object instead of aligned text\n"
    "  --measure         also time the processor's clock (a fraction of a second)\n"
    "  --version FILE    print FILE's file version and module name; exit 1 when\n"
    "                    FILE has no version resource\n"
    "  -h, --help        show this help\n";

ParseResult ParseSysinfoOptions(int argc, const char* const* argv, SysinfoOptions& options,
                                std::string& error) {
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0)
            return ParseResult::kHelp;
        if (std::strcmp(argument, "--json") == 0) {
            options.json = true;
        } else if (std::strcmp(argument, "--measure") == 0) {
            options.measure = true;
        } else if (std::strcmp(argument, "--version") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                error = "--version needs a file name";
                return ParseResult::kError;
            }
            if (options.fileVersion) {
                error = "--version may be given once";
                return ParseResult::kError;
            }
            options.fileVersion = true;
            options.file = argv[++i];
        } else {
            error = std::string(argument[0] == '-' ? "unknown option '" : "unexpected argument '") +
                    argument + "'";
            return ParseResult::kError;
        }
    }
    if (options.fileVersion && options.measure) {
        error = "--measure has nothing to measure with --version";
        return ParseResult::kError;
    }
    return ParseResult::kRun;
}

} // namespace sysinfo
} // namespace REDudi
