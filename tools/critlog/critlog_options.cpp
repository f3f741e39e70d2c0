#include "critlog_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace REDudi {
namespace critlog {

const char kCritLogUsage[] =
    "Usage: redudi-critlog [options] MESSAGE...\n"
    "Writes one record into the machine's critical log (and its copy into the\n"
    "trace log). The words of MESSAGE are joined by single spaces.\n"
    "\n"
    "  --code N        the record's code, a signed 32-bit number (default 0)\n"
    "  --agent NAME    the writing agent (default UNKNOWN; at most 31 characters kept)\n"
    "  --module NAME   the module (default UNKNOWN; at most 31 characters kept)\n"
    "  --class NAME    the class (default UNKNOWN; at most 63 characters kept)\n"
    "  --subclass NAME the subclass (default UNKNOWN; at most 63 characters kept)\n"
    "  --level N       the level, 0 to 255 (default 5)\n"
    "  --              the rest is the message, even when it starts with '-'\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit codes: 0 written, 1 the critical log cannot be opened, 2 bad usage.\n";

namespace {

bool ParseLong(const char* text, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = static_cast<long>(parsed);
    return true;
}

} // namespace

ParseResult ParseCritLogOptions(int argc, const char* const* argv, CritLogOptions& options,
                                std::string& error) {
    bool words = false;
    int i = 0;
    for (; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--") {
            ++i;
            break;
        }
        if (argument == "-h" || argument == "--help")
            return ParseResult::kHelp;
        if (argument.size() < 2 || argument[0] != '-')
            break;
        if (i + 1 >= argc) {
            error = "option " + argument + " needs a value";
            return ParseResult::kError;
        }
        const char* value = argv[++i];
        long number = 0;
        if (argument == "--code") {
            if (!ParseLong(value, INT_MIN, INT_MAX, number)) {
                error = std::string("--code takes a number from -2147483648 to 2147483647, not '") +
                        value + "'";
                return ParseResult::kError;
            }
            options.code = static_cast<int>(number);
        } else if (argument == "--level") {
            if (!ParseLong(value, 0, 255, number)) {
                error = std::string("--level takes a number from 0 to 255, not '") + value + "'";
                return ParseResult::kError;
            }
            options.level = static_cast<int>(number);
        } else if (argument == "--agent") {
            options.hasAgent = true;
            options.agent = value;
        } else if (argument == "--module") {
            options.hasModule = true;
            options.module = value;
        } else if (argument == "--class") {
            options.hasClass = true;
            options.className = value;
        } else if (argument == "--subclass") {
            options.hasSubClass = true;
            options.subClass = value;
        } else {
            error = "unknown option " + argument;
            return ParseResult::kError;
        }
    }
    for (; i < argc; ++i) {
        if (words)
            options.message += ' ';
        options.message += argv[i];
        words = true;
    }
    if (!words) {
        error = "no MESSAGE given";
        return ParseResult::kError;
    }
    return ParseResult::kRun;
}

} // namespace critlog
} // namespace REDudi
