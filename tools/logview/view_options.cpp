#include "view_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace REDudi {
namespace logview {

const char kViewUsage[] =
    "Usage: redudi-logview [options]\n"
    "Shows the machine's trace log (current and legacy region), one line per record:\n"
    "  time  process  thread  class/subclass  level  message\n"
    "\n"
    "  -f, --follow          follow new records as they are written (the default);\n"
    "                        records already in the ring are shown first\n"
    "  -d, --dump            print the records the ring holds now and exit\n"
    "  -c, --class NAME      only records of this class (exact, case-sensitive)\n"
    "  -s, --subclass NAME   only records of this subclass (exact, case-sensitive)\n"
    "  -l, --level N         only records with level N or lower (0 errors, 1 warnings,\n"
    "                        3 ordinary course)\n"
    "  -g, --grep TEXT       only records whose message contains TEXT\n"
    "  -n, --count N         exit after showing N records\n"
    "  -t, --timeout SEC     stop following after SEC seconds (exit code 0, or 1 when\n"
    "                        --count records had not all come)\n"
    "  -u, --utc             show times in UTC instead of local time\n"
    "  -h, --help            show this help\n";

namespace {

bool ParseLong(const char* text, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool ParseSeconds(const char* text, double& value) {
    errno = 0;
    char* end = nullptr;
    double parsed = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(parsed >= 0) || parsed > 1e6)
        return false;
    value = parsed;
    return true;
}

bool Is(const char* argument, const char* shortName, const char* longName) {
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

} // namespace

ParseResult ParseViewOptions(int argc, const char* const* argv, ViewOptions& options,
                             std::string& error) {
    bool follow = false;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (Is(argument, "-h", "--help"))
            return ParseResult::kHelp;
        if (Is(argument, "-f", "--follow")) {
            follow = true;
            continue;
        }
        if (Is(argument, "-d", "--dump")) {
            options.dump = true;
            continue;
        }
        if (Is(argument, "-u", "--utc")) {
            options.utc = true;
            continue;
        }
        bool takesValue = Is(argument, "-c", "--class") || Is(argument, "-s", "--subclass") ||
                          Is(argument, "-l", "--level") || Is(argument, "-g", "--grep") ||
                          Is(argument, "-n", "--count") || Is(argument, "-t", "--timeout");
        if (!takesValue) {
            error = std::string("unknown option '") + argument + "'";
            return ParseResult::kError;
        }
        if (i + 1 >= argc) {
            error = std::string("option '") + argument + "' needs a value";
            return ParseResult::kError;
        }
        const char* value = argv[++i];
        if (Is(argument, "-c", "--class")) {
            options.className = value;
        } else if (Is(argument, "-s", "--subclass")) {
            options.subClass = value;
        } else if (Is(argument, "-g", "--grep")) {
            options.text = value;
        } else if (Is(argument, "-l", "--level")) {
            long level = 0;
            if (!ParseLong(value, 0, 255, level)) {
                error = std::string("level must be a number from 0 to 255, not '") + value + "'";
                return ParseResult::kError;
            }
            options.maxLevel = static_cast<int>(level);
        } else if (Is(argument, "-n", "--count")) {
            if (!ParseLong(value, 1, 2147483647L, options.count)) {
                error = std::string("count must be a positive number, not '") + value + "'";
                return ParseResult::kError;
            }
        } else if (!ParseSeconds(value, options.timeout)) {
            error = std::string("timeout must be a number of seconds, not '") + value + "'";
            return ParseResult::kError;
        }
    }
    if (follow && options.dump) {
        error = "--follow and --dump exclude each other";
        return ParseResult::kError;
    }
    return ParseResult::kRun;
}

} // namespace logview
} // namespace REDudi
