// The critical log's text handling under hostile input: command lines of
// redudi-critlog and redudi-logview --critical split at NUL bytes, records
// from another process with fields that are not terminated, and ring headers
// of any value. Nothing may crash, read past a field or index past the ring.
#include "logging/critical_ring.h"
#include "tools/critlog/critlog_options.h"
#include "tools/logview/critical_view.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

void ParseCommandLines(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    const int argc = static_cast<int>(argv.size());
    critlog::CritLogOptions critlogOptions;
    std::string error;
    if (critlog::ParseCritLogOptions(argc, argv.data(), critlogOptions, error) ==
            critlog::ParseResult::kRun &&
        critlogOptions.level > 255)
        std::abort();
    logview::CriticalViewOptions viewOptions;
    logview::ParseCriticalViewOptions(argc, argv.data(), viewOptions, error);
}

void FormatRecord(const std::uint8_t* data, std::size_t size) {
    ACriticalLogEntry entry;
    std::memset(&entry, 'x', sizeof entry);
    std::memcpy(&entry, data, size < sizeof entry ? size : sizeof entry);
    for (bool json : {false, true}) {
        const std::string line = logview::FormatCriticalRecord(entry, true, json);
        if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos)
            std::abort();
    }
}

void ReadHeader(const std::uint8_t* data, std::size_t size) {
    std::uint32_t header[4] = {};
    std::memcpy(header, data, size < sizeof header ? size : sizeof header);
    const critring::Window window =
        critring::UnseenRecords(header[0], header[1], header[2], header[3]);
    if (window.capacity == 0 || window.capacity > critring::kSlots ||
        window.length > window.capacity)
        std::abort();
    for (std::uint32_t i = 0; i < window.length; ++i)
        if (critring::SlotOf(window, i) >= critring::kSlots)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParseCommandLines(data, size);
    FormatRecord(data, size);
    ReadHeader(data, size);
    return 0;
}
