// Feeds arbitrary text to the INI reader and checks that it never fails,
// that the stream reader and the memory reader agree, that the written form
// reads back to the same sections and keys, and that every stored key is
// found again by a lookup ignoring case.
#include <REDudi/config.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>

using namespace REDudi;

namespace {

std::string Written(IniFile& ini) {
    std::string out;
    for (const IniFile::section& s : ini.Sections()) {
        out += std::string("[") + s.name + "]\n";
        for (const IniFile::key& k : s.keys)
            out += std::string(k.name) + "=" + k.value + "\n";
        out += "\n";
    }
    return out;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "ini_fuzzer: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile fromMemory;
    fromMemory.ParseINIText(reinterpret_cast<const char*>(data), size);
    std::string first = Written(fromMemory);

    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (stream != nullptr) {
        IniFile fromStream;
        fromStream.ParseINIFile(stream);
        std::fclose(stream);
        Check(Written(fromStream) == first, "stream and memory readers differ");
    }

    IniFile again;
    again.ParseINIText(first.data(), first.size());
    Check(Written(again) == first, "written form reads back differently");

    char buffer[64];
    for (const IniFile::section& s : again.Sections()) {
        IniFile::section& first = again.FindSection(s.name);
        if (&first != &s) {
            Check(strcasecmp(first.name, s.name) == 0, "section found by another name");
            continue; // shadowed by an earlier duplicate
        }
        for (const IniFile::key& k : s.keys) {
            IniFile::key& found = again.FindKey(k.name, s);
            Check(strcasecmp(found.name, k.name) == 0, "key found by another name");
            for (const IniFile::key& earlier : s.keys) {
                if (&earlier == &found)
                    break;
                Check(strcasecmp(earlier.name, k.name) != 0, "lookup skipped the first match");
            }
            again.GetString(s.name, k.name, "", buffer, sizeof buffer);
        }
    }
    std::list<PString> subKeys;
    if (!again.Sections().empty()) {
        const char* name = again.Sections().front().name;
        std::string copy = name;
        again.GetSubKeyList(copy.c_str(), subKeys);
        Check(again.WriteString(copy.c_str(), "added", "value"), "write failed");
        again.GetString(copy.c_str(), "ADDED", "", buffer, sizeof buffer);
        Check(std::strcmp(buffer, "value") == 0, "written key not found");
        again.DeleteKey(copy.c_str(), "added");
        again.DeleteSection(copy.c_str());
    }
    return 0;
}
