// The written form of an IniFile: "[name]" lines, "name=value" lines and a
// blank line after each section. Nothing else is written.
#pragma once

#include <REDudi/config.h>

#include <string>

namespace REDudi {
namespace ini {

inline void AppendKeys(const IniFile::section& from, std::string& out) {
    for (const IniFile::key& k : from.keys) {
        out += k.name;
        out += '=';
        if (k.value != nullptr)
            out += k.value;
        out += '\n';
    }
}

inline void AppendSections(const std::list<IniFile::section>& sections, std::string& out) {
    for (const IniFile::section& s : sections) {
        out += '[';
        out += s.name;
        out += "]\n";
        AppendKeys(s, out);
        out += '\n';
    }
}

} // namespace ini
} // namespace REDudi
