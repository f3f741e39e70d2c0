// A generated INI text for the INI benchmarks: thousands of sections with a
// mix of short and long values and comments, every line short enough for
// the peers' fixed line buffers (200 bytes), and the list of every key.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct GeneratedIni {
    std::string text;
    std::vector<std::pair<std::string, std::string>> keys; // section, key
};

inline GeneratedIni GenerateIni(size_t targetBytes) {
    GeneratedIni out;
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    const char* words[] = {"alpha", "beta", "gamma", "delta", "server", "client", "C:\\Data\\file.txt",
                           "enabled", "timeout", "https://example.org/path"};
    for (int s = 0; out.text.size() < targetBytes; ++s) {
        std::string section = (s % 4 == 0 ? "Group" + std::to_string(s / 4) + "\\Item"
                                          : "Section") +
                              std::to_string(s);
        out.text += "; settings of " + section + "\n[" + section + "]\n";
        int keyCount = 10 + static_cast<int>(next(40));
        for (int k = 0; k < keyCount; ++k) {
            std::string key = "Key" + std::to_string(k) + (k % 3 == 0 ? "Name" : "");
            std::string value;
            switch (next(4)) {
            case 0: value = std::to_string(next(100000)); break;
            case 1: value = words[next(10)]; break;
            default: {
                size_t length = 100 + next(80);
                while (value.size() < length) {
                    value += words[next(10)];
                    value += ' ';
                }
                value.resize(length);
                if (value.back() == '\\') // a continuation mark for some readers
                    value.back() = 'x';
            }
            }
            if (k % 7 == 0)
                out.text += "# about " + key + "\n";
            out.text += key + (k % 2 ? " = " : "=") + value + "\n";
            out.keys.emplace_back(section, key);
        }
        out.text += "\n";
    }
    return out;
}

} // namespace bench
