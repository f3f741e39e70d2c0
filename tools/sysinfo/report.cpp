#include "report.h"

#include <cstdio>

namespace REDudi {
namespace sysinfo {

void Report::AddText(const std::string& label, const std::string& key, const std::string& value) {
    fields_.push_back({label, key, value, false});
}

void Report::AddNumber(const std::string& label, const std::string& key, unsigned long long value) {
    fields_.push_back({label, key, std::to_string(value), true});
}

void Report::AddFlag(const std::string& label, const std::string& key, bool value) {
    fields_.push_back({label, key, value ? "true" : "false", true});
}

std::string Report::AsText() const {
    size_t width = 0;
    for (const Field& field : fields_)
        width = field.label.size() > width ? field.label.size() : width;
    std::string text;
    for (const Field& field : fields_) {
        text += field.label;
        text.append(width - field.label.size() + 2, ' ');
        // A flag reads as a word in the text form.
        if (field.bare && (field.value == "true" || field.value == "false"))
            text += field.value == "true" ? "yes" : "no";
        else
            text += field.value;
        text += '\n';
    }
    return text;
}

std::string Report::AsJson() const {
    std::string json = "{";
    for (size_t i = 0; i < fields_.size(); ++i) {
        const Field& field = fields_[i];
        json += i == 0 ? "" : ", ";
        json += JsonQuoted(field.key) + ": " + (field.bare ? field.value : JsonQuoted(field.value));
    }
    return json + "}\n";
}

std::string JsonQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                quoted += escape;
            } else {
                quoted += static_cast<char>(c);
            }
        }
    }
    return quoted + "\"";
}

} // namespace sysinfo
} // namespace REDudi
