// What redudi-sysinfo prints: a list of named fields, written as aligned
// "Label  value" lines or as one JSON object.
#pragma once

#include <string>
#include <vector>

namespace REDudi {
namespace sysinfo {

struct Field {
    std::string label; // for the text form
    std::string key;   // for the JSON form
    std::string value;
    // Numbers and booleans stand bare in JSON; text is quoted.
    bool bare = false;
};

class Report {
public:
    void AddText(const std::string& label, const std::string& key, const std::string& value);
    void AddNumber(const std::string& label, const std::string& key, unsigned long long value);
    void AddFlag(const std::string& label, const std::string& key, bool value);

    // One line a field, the values starting in one column.
    std::string AsText() const;
    // One JSON object on one line.
    std::string AsJson() const;

private:
    std::vector<Field> fields_;
};

// `text` as a JSON string literal, quotes included.
std::string JsonQuoted(const std::string& text);

} // namespace sysinfo
} // namespace REDudi
