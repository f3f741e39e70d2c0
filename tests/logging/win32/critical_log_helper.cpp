// A second process for the critical-log tests; each mode sets <ready> once
// it is under way:
//   write <agent> <count> <start> <ready>: once <start> is set, writes <count>
//       records as <agent>, each naming the agent, this process and its index
//   read <agent> <count> <output> <ready>: follows the machine's critical log
//       and writes the message of each record of <agent> as a line; exit 0
//       once <count> have come, 1 after 20 s
//   hold <ms> <ready>: holds the critical log's mutex for <ms>
#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "logging/win32/critical_log_map.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace REDudi;

namespace {

class LineWriter : public CriticalLogReaderListener {
public:
    LineWriter(const char* agent, long expected, std::FILE* out)
        : agent_(agent), expected_(expected), out_(out) {}
    void OnLogEntry(ACriticalLogEntry* entry) override {
        if (agent_ != entry->agent)
            return;
        std::fprintf(out_, "%s\n", entry->message);
        if (++seen_ == expected_)
            SetEvent(done);
    }
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);

private:
    std::string agent_;
    long expected_, seen_ = 0;
    std::FILE* out_;
};

int Run(const std::string& mode, char** argv, HANDLE ready) {
    if (mode == "write") {
        HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
        CritLogSetAgent(PString(argv[2]));
        SetEvent(ready);
        if (start == nullptr || WaitForSingleObject(start, 30000) != WAIT_OBJECT_0)
            return 5;
        for (int i = 0; i < std::atoi(argv[3]); ++i)
            CritLogTrace(i, "%s %lu %d", argv[2], GetCurrentProcessId(), i);
        return 0;
    }
    if (mode == "read") {
        std::FILE* out = std::fopen(argv[4], "w");
        LineWriter writer(argv[2], std::atol(argv[3]), out);
        std::unique_ptr<CriticalLogReader> reader(CriticalLogReader::GetNewCriticalLogReader());
        if (out == nullptr || !reader || !reader->Start(&writer))
            return 4;
        SetEvent(ready);
        const bool all = WaitForSingleObject(writer.done, 20000) == WAIT_OBJECT_0;
        // The last record's mark is set after its listener call: a graceful
        // stop lets it land.
        reader->Stop(2000);
        reader.reset();
        std::fclose(out);
        return all ? 0 : 1;
    }
    const PString name =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(critmap::kMutexName));
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
    if (mode != "hold" || mutex == nullptr || WaitForSingleObject(mutex, 10000) == WAIT_TIMEOUT)
        return 3;
    SetEvent(ready);
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    ReleaseMutex(mutex);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const int wanted = mode == "hold" ? 4 : 6;
    if (argc != wanted)
        return 2;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[argc - 1]);
    return ready == nullptr ? 3 : Run(mode, argv, ready);
}
