#include "record_line.h"

#include <cstdio>
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

} // namespace

bool Matches(const ViewOptions& options, const ALogEntry& entry) {
    if (!options.className.empty() &&
        Field(entry.className, sizeof entry.className) != options.className)
        return false;
    if (!options.subClass.empty() &&
        Field(entry.subClass, sizeof entry.subClass) != options.subClass)
        return false;
    if (options.maxLevel >= 0 && entry.level > options.maxLevel)
        return false;
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
    return line;
}

} // namespace logview
} // namespace REDudi
