// A second process for the critical-log tests:
//   write <agent> <count> <ready-event> <start-event>
//       writes <count> critical records as <agent> once the test says start;
//       each message names the agent, this process and the record's index.
//   read <agent> <count> <output-file> <ready-event>
//       follows the machine's critical log and writes the message of each
//       record of <agent> as one line; ends once <count> have come (exit 0)
//       or after 20 s (exit 1).
//   hold <ms> <ready-event>   holds the critical log's mutex for <ms>
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

HANDLE OpenNamedEvent(const char* name) {
    return OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
}

int Write(int argc, char** argv) {
    if (argc < 6)
        return 2;
    const char* agent = argv[2];
    const int count = std::atoi(argv[3]);
    HANDLE ready = OpenNamedEvent(argv[4]);
    HANDLE start = OpenNamedEvent(argv[5]);
    if (ready == nullptr || start == nullptr)
        return 3;
    CritLogSetAgent(PString(agent));
    SetEvent(ready);
    if (WaitForSingleObject(start, 30000) != WAIT_OBJECT_0)
        return 5;
    for (int i = 0; i < count; ++i)
        CritLogTrace(i, "%s %lu %d", agent, GetCurrentProcessId(), i);
    return 0;
}

class LineWriter : public CriticalLogReaderListener {
public:
    LineWriter(std::string agent, long expected, std::FILE* out, HANDLE done)
        : agent_(std::move(agent)), expected_(expected), out_(out), done_(done) {}

    void OnLogEntry(ACriticalLogEntry* entry) override {
        if (agent_ != entry->agent)
            return;
        std::fprintf(out_, "%s\n", entry->message);
        if (++seen_ == expected_)
            SetEvent(done_);
    }

private:
    std::string agent_;
    long expected_;
    std::FILE* out_;
    HANDLE done_;
    long seen_ = 0;
};

int Read(int argc, char** argv) {
    if (argc < 6)
        return 2;
    HANDLE ready = OpenNamedEvent(argv[5]);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::FILE* out = std::fopen(argv[4], "w");
    if (ready == nullptr || done == nullptr || out == nullptr)
        return 3;
    LineWriter writer(argv[2], std::atol(argv[3]), out, done);
    std::unique_ptr<CriticalLogReader> reader(CriticalLogReader::GetNewCriticalLogReader());
    if (!reader || !reader->Start(&writer))
        return 4;
    SetEvent(ready);
    const bool all = WaitForSingleObject(done, 20000) == WAIT_OBJECT_0;
    // The last record's mark is set after its listener call: a graceful stop
    // lets it land.
    reader->Stop(2000);
    reader.reset();
    std::fclose(out);
    return all ? 0 : 1;
}

int Hold(int argc, char** argv) {
    if (argc < 4)
        return 2;
    HANDLE ready = OpenNamedEvent(argv[3]);
    PString name =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(critmap::kMutexName));
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
    if (ready == nullptr || mutex == nullptr)
        return 3;
    const DWORD taken = WaitForSingleObject(mutex, 10000);
    if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED)
        return 3;
    SetEvent(ready);
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    ReleaseMutex(mutex);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    if (mode == "write")
        return Write(argc, argv);
    if (mode == "read")
        return Read(argc, argv);
    if (mode == "hold")
        return Hold(argc, argv);
    return 2;
}
