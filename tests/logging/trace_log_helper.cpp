// A second process for the trace-log tests:
//   write <class> <count> <filler> <ready-event> <start-event>
//       traces <count> records of that class once the test says start; each
//       message names the class, this process and the record's index, then
//       pads with <filler> so that a torn record would show.
//   hold <ms> <ready-event>      holds the log's mutex for <ms>, then frees it
//   abandon <ready-event>        takes the log's mutex and exits holding it
#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "logging/win32/log_map.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace REDudi;

namespace {

HANDLE OpenNamedEvent(const char* name) {
    return OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
}

HANDLE TakeLogMutex() {
    PString name =
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMutexName));
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
    if (mutex == nullptr)
        return nullptr;
    DWORD result = WaitForSingleObject(mutex, 10000);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED)
        return nullptr;
    return mutex;
}

int Write(int argc, char** argv) {
    if (argc < 7)
        return 2;
    const char* className = argv[2];
    const int count = std::atoi(argv[3]);
    const std::string filler(400, argv[4][0]);
    HANDLE ready = OpenNamedEvent(argv[5]);
    HANDLE start = OpenNamedEvent(argv[6]);
    if (ready == nullptr || start == nullptr)
        return 3;
    ALogger logger;
    if (!logger.IsValid())
        return 4;
    logger.SetClass(PString(className));
    SetEvent(ready);
    if (WaitForSingleObject(start, 30000) != WAIT_OBJECT_0)
        return 5;
    for (int i = 0; i < count; ++i)
        logger.Trace("%s %lu %d %s", className, GetCurrentProcessId(), i, filler.c_str());
    return 0;
}

int Hold(int argc, char** argv) {
    if (argc < 4)
        return 2;
    HANDLE ready = OpenNamedEvent(argv[3]);
    HANDLE mutex = TakeLogMutex();
    if (ready == nullptr || mutex == nullptr)
        return 3;
    SetEvent(ready);
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    ReleaseMutex(mutex);
    return 0;
}

int Abandon(int argc, char** argv) {
    if (argc < 3)
        return 2;
    HANDLE ready = OpenNamedEvent(argv[2]);
    if (ready == nullptr || TakeLogMutex() == nullptr)
        return 3;
    SetEvent(ready);
    ExitProcess(0); // without releasing: the mutex is abandoned
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    if (std::strcmp(argv[1], "write") == 0)
        return Write(argc, argv);
    if (std::strcmp(argv[1], "hold") == 0)
        return Hold(argc, argv);
    if (std::strcmp(argv[1], "abandon") == 0)
        return Abandon(argc, argv);
    return 2;
}
