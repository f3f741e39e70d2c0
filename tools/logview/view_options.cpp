#include "view_options.h"

#include <cerrno>
#include <cstdio>
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
    "  -p, --pid N           only records of process N (decimal or 0x hex); repeatable\n"
    "  -S, --since TIME      only records written at or after TIME: 2026-12-06T21:30:00Z\n"
    "                        (UTC), 2026-12-06 21:30:00 or 2026-12-06 (local time), or an\n"
    "                        age such as 90s, 15m, 2h, 1d\n"
    "  -j, --json            one JSON object per line: time (ISO 8601, UTC), process,\n"
    "                        thread, class, subclass, level, flags, message, region\n"
    "                        (current or legacy); texts in UTF-8\n"
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

bool ParseProcess(const char* text, unsigned long& value) {
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || *text == '-' || parsed > 0xFFFFFFFFull)
        return false;
    value = static_cast<unsigned long>(parsed);
    return true;
}

bool Is(const char* argument, const char* shortName, const char* longName) {
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

} // namespace

bool ParseSince(const char* text, std::time_t now, std::uint32_t& since) {
    const std::size_t length = std::strlen(text);
    if (length >= 2 && std::strchr("smhd", text[length - 1]) != nullptr) {
        const std::string digits(text, length - 1);
        long amount = 0;
        if (!ParseLong(digits.c_str(), 0, 100000000L, amount))
            return false;
        const long unit = text[length - 1] == 's' ? 1 : text[length - 1] == 'm' ? 60
                                                  : text[length - 1] == 'h' ? 3600 : 86400;
        const long long then = static_cast<long long>(now) - static_cast<long long>(amount) * unit;
        since = then < 0 ? 0 : static_cast<std::uint32_t>(then);
        return true;
    }
    std::tm parts{};
    int consumed = 0;
    char separator = 'T';
    int fields = std::sscanf(text, "%4d-%2d-%2d%n%c%2d:%2d:%2d%n", &parts.tm_year, &parts.tm_mon,
                             &parts.tm_mday, &consumed, &separator, &parts.tm_hour, &parts.tm_min,
                             &parts.tm_sec, &consumed);
    if (fields != 3 && fields != 7)
        return false;
    if (fields == 7 && separator != 'T' && separator != ' ')
        return false;
    bool utc = false;
    if (text[consumed] == 'Z' && text[consumed + 1] == '\0' && fields == 7)
        utc = true;
    else if (text[consumed] != '\0')
        return false;
    if (parts.tm_mon < 1 || parts.tm_mon > 12 || parts.tm_mday < 1 || parts.tm_mday > 31 ||
        parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 60 || parts.tm_year < 1970 ||
        parts.tm_hour < 0 || parts.tm_min < 0 || parts.tm_sec < 0)
        return false;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    parts.tm_isdst = -1;
    long long seconds;
    if (utc) {
        // Days from the civil date, so that no time-zone setting is involved.
        const int y = parts.tm_year + 1900 - (parts.tm_mon < 2 ? 1 : 0);
        const int era = y / 400;
        const int yoe = y - era * 400;
        const int mp = (parts.tm_mon + 10) % 12; // March is 0
        const int doy = (153 * mp + 2) / 5 + parts.tm_mday - 1;
        const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
        seconds = days * 86400 + parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec;
    } else {
        seconds = static_cast<long long>(std::mktime(&parts));
    }
    if (seconds < 0 || seconds > 0xFFFFFFFFll)
        return false;
    since = static_cast<std::uint32_t>(seconds);
    return true;
}

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
        if (Is(argument, "-j", "--json")) {
            options.json = true;
            continue;
        }
        bool takesValue = Is(argument, "-c", "--class") || Is(argument, "-s", "--subclass") ||
                          Is(argument, "-l", "--level") || Is(argument, "-g", "--grep") ||
                          Is(argument, "-n", "--count") || Is(argument, "-t", "--timeout") ||
                          Is(argument, "-p", "--pid") || Is(argument, "-S", "--since");
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
        } else if (Is(argument, "-p", "--pid")) {
            unsigned long process = 0;
            if (!ParseProcess(value, process)) {
                error = std::string("pid must be a process number, not '") + value + "'";
                return ParseResult::kError;
            }
            options.processes.push_back(process);
        } else if (Is(argument, "-S", "--since")) {
            if (!ParseSince(value, std::time(nullptr), options.since)) {
                error = std::string("since must be a time such as 2026-12-06T21:30:00Z or an "
                                    "age such as 15m, not '") +
                        value + "'";
                return ParseResult::kError;
            }
            options.hasSince = true;
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
