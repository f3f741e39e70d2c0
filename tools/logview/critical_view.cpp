#include "critical_view.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace REDudi {
namespace logview {

const char kCriticalViewUsage[] =
    "Usage: redudi-logview --critical [options]\n"
    "Follows the machine's critical log, one line per record:\n"
    "  time  process  thread  #code  agent  module  version  class/subclass  level\n"
    "  new|delivered  message\n"
    "\n"
    "  --dump              print the records the ring holds now and exit\n"
    "  --mark-delivered    act as the machine's critical reader: mark each printed\n"
    "                      record delivered (without it the log is only watched)\n"
    "  --agent NAME        only records of this agent (exact, case-sensitive)\n"
    "  --code N            only records with this code\n"
    "  -n, --count N       exit after showing N records\n"
    "  -t, --timeout SEC   stop following after SEC seconds (exit code 0, or 1 when\n"
    "                      --count records had not all come)\n"
    "  --json              one JSON object per record\n"
    "  -u, --utc           show times in UTC instead of local time\n"
    "  -h, --help          show this help\n";

namespace {

std::string Field(const char* text, std::size_t size) {
    const void* end = std::memchr(text, '\0', size);
    std::string field(text, end ? static_cast<const char*>(end) - text : size);
    for (char& c : field)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return field;
}

std::string FormatTime(std::uint32_t seconds, bool utc) {
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm* parts = utc ? std::gmtime(&time) : std::localtime(&time);
    char text[32] = "(no valid time)";
    if (parts != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", parts);
    return text;
}

std::string Json(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

bool ParseNumber(const char* text, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = static_cast<long>(parsed);
    return true;
}

bool ParseSeconds(const char* text, double& value) {
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(parsed >= 0) || parsed > 1e6)
        return false;
    value = parsed;
    return true;
}

} // namespace

bool WantsCriticalLog(int argc, const char* const* argv) {
    for (int i = 0; i < argc; ++i)
        if (std::strcmp(argv[i], "--critical") == 0)
            return true;
    return false;
}

CriticalParse ParseCriticalViewOptions(int argc, const char* const* argv,
                                       CriticalViewOptions& options, std::string& error) {
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--critical")
            continue;
        if (argument == "-h" || argument == "--help")
            return CriticalParse::kHelp;
        if (argument == "--dump" || argument == "-d") {
            options.dump = true;
            continue;
        }
        if (argument == "--mark-delivered") {
            options.markDelivered = true;
            continue;
        }
        if (argument == "--json") {
            options.json = true;
            continue;
        }
        if (argument == "--utc" || argument == "-u") {
            options.utc = true;
            continue;
        }
        const bool takesValue = argument == "--agent" || argument == "--code" ||
                                argument == "--count" || argument == "-n" ||
                                argument == "--timeout" || argument == "-t";
        if (!takesValue) {
            error = "unknown option " + argument + " for the critical log";
            return CriticalParse::kError;
        }
        if (i + 1 >= argc) {
            error = "option " + argument + " needs a value";
            return CriticalParse::kError;
        }
        const char* value = argv[++i];
        if (argument == "--agent") {
            options.agent = value;
        } else if (argument == "--code") {
            if (!ParseNumber(value, INT_MIN, INT_MAX, options.code)) {
                error = std::string("--code takes a 32-bit signed number, not '") + value + "'";
                return CriticalParse::kError;
            }
            options.hasCode = true;
        } else if (argument == "--count" || argument == "-n") {
            if (!ParseNumber(value, 1, LONG_MAX, options.count)) {
                error = std::string("--count takes a positive number, not '") + value + "'";
                return CriticalParse::kError;
            }
        } else if (!ParseSeconds(value, options.timeout)) {
            error = std::string("--timeout takes seconds, not '") + value + "'";
            return CriticalParse::kError;
        }
    }
    if (options.dump && options.markDelivered) {
        error = "--mark-delivered follows the log; it cannot be used with --dump";
        return CriticalParse::kError;
    }
    return CriticalParse::kRun;
}

bool MatchesCritical(const CriticalViewOptions& options, const ACriticalLogEntry& entry) {
    if (!options.agent.empty() && Field(entry.agent, sizeof entry.agent) != options.agent)
        return false;
    if (options.hasCode && entry.code != options.code)
        return false;
    return true;
}

std::string FormatCriticalRecord(const ACriticalLogEntry& entry, bool utc, bool json) {
    const std::string time = FormatTime(entry.time, utc);
    const std::string process = Field(entry.process, sizeof entry.process);
    const std::string thread = Field(entry.thread, sizeof entry.thread);
    const std::string agent = Field(entry.agent, sizeof entry.agent);
    const std::string module = Field(entry.module, sizeof entry.module);
    const std::string version = Field(entry.version, sizeof entry.version);
    const std::string className = Field(entry.className, sizeof entry.className);
    const std::string subClass = Field(entry.subClass, sizeof entry.subClass);
    const std::string message = Field(entry.message, sizeof entry.message);
    const bool delivered = entry.delivered != 0;
    if (json) {
        return "{\"time\":" + Json(time) + ",\"process\":" + Json(process) +
               ",\"thread\":" + Json(thread) + ",\"code\":" + std::to_string(entry.code) +
               ",\"agent\":" + Json(agent) + ",\"module\":" + Json(module) +
               ",\"version\":" + Json(version) + ",\"class\":" + Json(className) +
               ",\"subclass\":" + Json(subClass) + ",\"level\":" + std::to_string(entry.level) +
               ",\"delivered\":" + (delivered ? "true" : "false") +
               ",\"message\":" + Json(message) + "}";
    }
    return time + ' ' + process + ' ' + thread + " #" + std::to_string(entry.code) + ' ' + agent +
           ' ' + module + ' ' + version + ' ' + className + '/' + subClass + " L" +
           std::to_string(entry.level) + (delivered ? " delivered " : " new ") + message;
}

} // namespace logview
} // namespace REDudi
