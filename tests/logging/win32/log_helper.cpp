// The second process of the log tests; each mode sets the event READY (its
// last argument) once it is under way:
//   write CLASS COUNT FILLER START READY: COUNT records naming class, process
//       and index, padded with 400 FILLER letters (a torn record would show)
//   critical-write AGENT COUNT START READY: COUNT critical records as AGENT
//   hold trace|critical|NAME MS READY: holds that log's (or NAME's) mutex for MS
//   abandon READY: exits holding the trace log's mutex
#include "logging/win32/critical_log_map.h"
#include "logging/win32/log_map.h"

#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include <windows.h>

#include <cstdlib>
#include <string>

using namespace REDudi;

namespace {

bool Await(const char* start) {
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, start);
    return event != nullptr && WaitForSingleObject(event, 30000) == WAIT_OBJECT_0;
}

int Run(const std::string& mode, int argc, char** argv, HANDLE ready) {
    if (mode == "write" && argc == 7) {
        const std::string filler(400, argv[4][0]);
        ALogger logger;
        logger.SetClass(PString(argv[2]));
        SetEvent(ready);
        if (!logger.IsValid() || !Await(argv[5]))
            return 4;
        for (int i = 0; i < std::atoi(argv[3]); ++i)
            logger.Trace("%s %lu %d %s", argv[2], GetCurrentProcessId(), i, filler.c_str());
        return 0;
    }
    if (mode == "critical-write" && argc == 6) {
        CritLogSetAgent(PString(argv[2]));
        SetEvent(ready);
        if (!Await(argv[4]))
            return 5;
        for (int i = 0; i < std::atoi(argv[3]); ++i)
            CritLogTrace(i, "%s %lu %d", argv[2], GetCurrentProcessId(), i);
        return 0;
    }
    const bool abandon = mode == "abandon" && argc == 3;
    if (!abandon && !(mode == "hold" && argc == 5))
        return 2;
    const std::string log = abandon ? "trace" : argv[2];
    const char* name = log == "trace"      ? logmap::kMutexName
                       : log == "critical" ? critmap::kMutexName
                                           : argv[2];
    HANDLE mutex = CreateMutexA(
        nullptr, FALSE,
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name)).c_str());
    if (mutex == nullptr || WaitForSingleObject(mutex, 10000) == WAIT_TIMEOUT)
        return 3;
    SetEvent(ready);
    if (abandon)
        ExitProcess(0); // the mutex is abandoned
    Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    ReleaseMutex(mutex);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    HANDLE ready = argc > 2 ? OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[argc - 1]) : nullptr;
    return ready == nullptr ? 3 : Run(argv[1], argc, argv, ready);
}
