#include "record_line.h"

#include <REDudi/strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace REDudi {
namespace logview {

namespace {

// Fields come from other processes: never trust their terminators.
std::string Field(const char* text, std::size_t size) {
    const void* end = std::memchr(text, '\0', size);
    return std::string(text, end ? static_cast<const char*>(end) - text : size);
}

std::string FormatTime(std::uint32_t seconds, bool utc) {
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm* parts = utc ? std::gmtime(&time) : std::localtime(&time);
    char text[32] = "(no valid time)";
    if (parts != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", parts);
    return text;
}

std::string IsoTime(std::uint32_t seconds) {
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm* parts = std::gmtime(&time);
    char text[32] = "1970-01-01T00:00:00Z";
    if (parts != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", parts);
    return text;
}

void AppendJsonString(std::string& out, const std::string& utf8) {
    out += '"';
    for (char c : utf8) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

std::string AnsiToUtf8(const std::string& text) {
    bool ascii = true;
    for (char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return text;
    UnicodeStdString wide;
    Utf8StdString utf8;
    if (ConvertANSIToUnicode(text, wide) && ConvertUnicodeToUTF8(wide, utf8))
        return std::string(utf8.begin(), utf8.end());
    // Byte by byte, so that one bad byte costs only itself.
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
            continue;
        }
        if (ConvertANSIToUnicode(std::string(1, c), wide) && ConvertUnicodeToUTF8(wide, utf8))
            out.append(utf8.begin(), utf8.end());
        else
            out += "\xEF\xBF\xBD";
    }
    return out;
}

std::string FormatJson(const ALogEntry& entry, bool legacy) {
    std::string line = "{\"time\":\"" + IsoTime(entry.time) + "\",\"process\":";
    AppendJsonString(line, AnsiToUtf8(Field(entry.process, sizeof entry.process)));
    line += ",\"thread\":";
    AppendJsonString(line, AnsiToUtf8(Field(entry.thread, sizeof entry.thread)));
    line += ",\"class\":";
    AppendJsonString(line, AnsiToUtf8(Field(entry.className, sizeof entry.className)));
    line += ",\"subclass\":";
    AppendJsonString(line, AnsiToUtf8(Field(entry.subClass, sizeof entry.subClass)));
    line += ",\"level\":" + std::to_string(entry.level);
    line += ",\"flags\":" + std::to_string(entry.flags);
    line += ",\"message\":";
    AppendJsonString(line, AnsiToUtf8(Field(entry.message, sizeof entry.message)));
    line += legacy ? ",\"region\":\"legacy\"}" : ",\"region\":\"current\"}";
    return line;
}

bool Matches(const ViewOptions& options, const ALogEntry& entry) {
    if (!options.className.empty() &&
        Field(entry.className, sizeof entry.className) != options.className)
        return false;
    if (!options.subClass.empty() &&
        Field(entry.subClass, sizeof entry.subClass) != options.subClass)
        return false;
    if (options.maxLevel >= 0 && entry.level > options.maxLevel)
        return false;
    if (options.hasSince && entry.time < options.since)
        return false;
    if (!options.processes.empty()) {
        const std::string process = Field(entry.process, sizeof entry.process);
        char* end = nullptr;
        const unsigned long id = std::strtoul(process.c_str(), &end, 16);
        bool listed = false;
        for (unsigned long wanted : options.processes)
            listed = listed || (end != process.c_str() && *end == '\0' && id == wanted);
        if (!listed)
            return false;
    }
    if (!options.text.empty() &&
        Field(entry.message, sizeof entry.message).find(options.text) == std::string::npos)
        return false;
    return true;
}

std::string FormatRecord(const ALogEntry& entry, bool utc) {
    std::string message = Field(entry.message, sizeof entry.message);
    for (char& c : message) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    std::string line = FormatTime(entry.time, utc);
    line += ' ';
    line += Field(entry.process, sizeof entry.process);
    line += ' ';
    line += Field(entry.thread, sizeof entry.thread);
    line += ' ';
    line += Field(entry.className, sizeof entry.className);
    line += '/';
    line += Field(entry.subClass, sizeof entry.subClass);
    line += " L" + std::to_string(entry.level) + ' ';
    line += message;
    return AnsiToUtf8(line);
}

} // namespace logview
} // namespace REDudi
