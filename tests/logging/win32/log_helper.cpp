// The second process of the trace-log tests:
//   write CLASS COUNT FILLER READY START   traces COUNT records through the
//       facade once START is set; each names its class, process and index,
//       then pads with 400 FILLER letters, so that a torn record would show
//   hold MS READY                          holds the log's mutex for MS
//   abandon READY                          exits holding the log's mutex
#include "win32/log_support.h"

#include <REDudi/logging.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace REDudi;
using REDudi::testing::LogRegion;

namespace {

bool Is(const char* argument, const char* command) {
    return std::strcmp(argument, command) == 0;
}

int Write(char** argv) {
    const std::string filler(400, argv[3][0]);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
    HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    ALogger logger;
    if (ready == nullptr || start == nullptr || !logger.IsValid())
        return 3;
    logger.SetClass(PString(argv[1]));
    SetEvent(ready);
    if (WaitForSingleObject(start, 30000) != WAIT_OBJECT_0)
        return 4;
    for (int i = 0; i < std::atoi(argv[2]); ++i)
        logger.Trace("%s %lu %d %s", argv[1], GetCurrentProcessId(), i, filler.c_str());
    return 0;
}

int Hold(int ms, const char* readyName, bool abandon) {
    LogRegion region;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
    if (ready == nullptr || !region.IsOpen() || !region.Lock())
        return 3;
    SetEvent(ready);
    if (abandon)
        ExitProcess(0); // the mutex is abandoned
    Sleep(static_cast<DWORD>(ms));
    region.Unlock();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 7 && Is(argv[1], "write"))
        return Write(argv + 1);
    if (argc == 4 && Is(argv[1], "hold"))
        return Hold(std::atoi(argv[2]), argv[3], false);
    if (argc == 3 && Is(argv[1], "abandon"))
        return Hold(0, argv[2], true);
    return 2;
}
