#include "ini_section.h"

#include <cctype>
#include <sstream>

namespace REDudi {
namespace generate {

namespace {

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t at = 0; at < a.size(); ++at)
        if (std::tolower(static_cast<unsigned char>(a[at])) !=
            std::tolower(static_cast<unsigned char>(b[at])))
            return false;
    return true;
}

} // namespace

bool ReadIniSection(const std::string& text, const std::string& section,
                    std::vector<std::pair<std::string, std::string>>& keys) {
    std::istringstream lines(text);
    std::string line;
    bool found = false;
    bool inside = false;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            inside = close != std::string::npos &&
                     SameIgnoringCase(Trim(line.substr(1, close - 1)), Trim(section));
            found = found || inside;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!inside || equals == std::string::npos)
            continue;
        keys.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
    return found;
}

} // namespace generate
} // namespace REDudi
