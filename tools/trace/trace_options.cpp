#include "trace_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace REDudi {
namespace trace {

const char kTraceUsage[] =
    "Usage: redudi-trace [options] [--] MESSAGE...\n"
    "Writes one record into the machine's trace log.\n"
    "\n"
    "  -c, --class NAME      the record's class (default GENERAL; at most 63 characters kept)\n"
    "  -s, --subclass NAME   the record's subclass (default GENERAL)\n"
    "  -l, --level N         level 0-255 (default 3; 0 errors, 1 warnings, 3 ordinary)\n"
    "  -f, --flags N         32-bit flags, decimal or 0x hex (default 0)\n"
    "  -h, --help            show this help\n"
    "The message is the remaining words joined by spaces; at most 511 characters are kept.\n";

namespace {

bool Is(const char* argument, const char* shortName, const char* longName) {
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

bool ParseUnsigned(const char* text, unsigned long high, unsigned long& value) {
    if (*text == '-' || *text == '+')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || parsed > high)
        return false;
    value = static_cast<unsigned long>(parsed);
    return true;
}

} // namespace

ParseResult ParseTraceOptions(int argc, const char* const* argv, TraceOptions& options,
                              std::string& error) {
    int i = 0;
    for (; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--") == 0) {
            ++i;
            break;
        }
        if (Is(argument, "-h", "--help"))
            return ParseResult::kHelp;
        bool takesValue = Is(argument, "-c", "--class") || Is(argument, "-s", "--subclass") ||
                          Is(argument, "-l", "--level") || Is(argument, "-f", "--flags");
        if (!takesValue) {
            if (argument[0] == '-' && argument[1] != '\0') {
                error = std::string("unknown option '") + argument + "'";
                return ParseResult::kError;
            }
            break;
        }
        if (i + 1 >= argc) {
            error = std::string("option '") + argument + "' needs a value";
            return ParseResult::kError;
        }
        const char* value = argv[++i];
        unsigned long number = 0;
        if (Is(argument, "-c", "--class")) {
            options.className = value;
        } else if (Is(argument, "-s", "--subclass")) {
            options.subClass = value;
        } else if (Is(argument, "-l", "--level")) {
            if (!ParseUnsigned(value, 255, number)) {
                error = std::string("level must be a number from 0 to 255, not '") + value + "'";
                return ParseResult::kError;
            }
            options.level = static_cast<unsigned char>(number);
        } else {
            if (!ParseUnsigned(value, 0xFFFFFFFFul, number)) {
                error = std::string("flags must be a 32-bit number, not '") + value + "'";
                return ParseResult::kError;
            }
            options.flags = static_cast<unsigned int>(number);
        }
    }
    for (; i < argc; ++i) {
        if (!options.message.empty())
            options.message += ' ';
        options.message += argv[i];
    }
    if (options.message.empty()) {
        error = "no message given";
        return ParseResult::kError;
    }
    return ParseResult::kRun;
}

} // namespace trace
} // namespace REDudi
