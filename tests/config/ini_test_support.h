// Shared by the INI tests and fuzzer: parsing, and a model in its written form.
#pragma once

#include <REDudi/config.h>

#include <string>

inline std::string WrittenForm(const REDudi::IniFile& ini) {
    std::string out;
    for (const REDudi::IniFile::section& s : ini.Sections()) {
        out += std::string("[") + s.name + "]\n";
        for (const REDudi::IniFile::key& k : s.keys)
            out += std::string(k.name) + "=" + (k.value ? k.value : "") + "\n";
        out += "\n";
    }
    return out;
}

inline void Parse(REDudi::IniFile& ini, const std::string& text) {
    ini.ParseINIText(text.data(), text.size());
}
