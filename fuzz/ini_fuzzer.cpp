// Feeds arbitrary text to the INI reader and checks that the stream reader
// and the memory reader agree, that the written form reads back to the same
// sections and keys, that every first key is found again ignoring case, and
// that a written key reads back.
#include "tests/config/ini_test_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <strings.h>

using namespace REDudi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile fromMemory, fromStream, again;
    fromMemory.ParseINIText(reinterpret_cast<const char*>(data), size);
    std::string first = WrittenForm(fromMemory);
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (stream != nullptr) {
        fromStream.ParseINIFile(stream);
        std::fclose(stream);
    }
    Parse(again, first);
    bool bad =
        (stream != nullptr && WrittenForm(fromStream) != first) || WrittenForm(again) != first;
    for (const IniFile::section& s : again.Sections()) {
        bad |= strcasecmp(again.FindSection(s.name).name, s.name) != 0;
        for (const IniFile::key& k : s.keys) {
            const IniFile::key& found = again.FindKey(k.name, s);
            for (auto earlier = s.keys.begin(); &*earlier != &found; ++earlier)
                bad |= strcasecmp(earlier->name, k.name) == 0;
        }
    }
    if (!again.Sections().empty()) {
        std::string name = again.Sections().front().name;
        char buffer[8];
        bad |= !again.WriteString(name.c_str(), "added", "value") ||
               std::string(again.GetString(name.c_str(), "ADDED", "", buffer, sizeof buffer)) !=
                   "value";
        again.DeleteSection(name.c_str());
    }
    if (bad)
        std::abort();
    return 0;
}
