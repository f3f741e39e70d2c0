// redudi-sysinfo's command line and JSON text: arguments split at NUL bytes
// never crash the parser, and every text survives JSON quoting unchanged.
#include "tools/sysinfo/report.h"
#include "tools/sysinfo/sysinfo_options.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace REDudi::sysinfo;

namespace {

// Reads back what JsonQuoted wrote; aborts on anything it may not write.
std::string Unquoted(const std::string& quoted) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        std::abort();
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(quoted[i]);
        if (c < 0x20 || c == '"')
            std::abort();
        if (c != '\\') {
            text += static_cast<char>(c);
            continue;
        }
        char escape = quoted.at(++i);
        switch (escape) {
        case '"':
        case '\\':
            text += escape;
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'u':
            text += static_cast<char>(std::stoi(quoted.substr(i + 1, 4), nullptr, 16));
            i += 4;
            break;
        default:
            std::abort();
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    if (Unquoted(JsonQuoted(input)) != input)
        std::abort();

    std::vector<std::string> words;
    size_t start = 0;
    for (size_t end; (end = input.find('\0', start)) != std::string::npos; start = end + 1)
        words.push_back(input.substr(start, end - start));
    words.push_back(input.substr(start));
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    SysinfoOptions options;
    std::string error;
    ParseResult result =
        ParseSysinfoOptions(static_cast<int>(argv.size()), argv.data(), options, error);
    if (result == ParseResult::kError && error.empty())
        std::abort();
    if (result == ParseResult::kRun && options.fileVersion && options.file.empty())
        std::abort();
    return 0;
}
