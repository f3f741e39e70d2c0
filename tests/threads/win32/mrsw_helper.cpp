// mrsw_helper <lock name> <mode> <tag> [timeout ms]: *-hold takes the lock, reports (releases
// "redudi_mrsw_in_<tag>") and lets go at "redudi_mrsw_go_<tag>"; *-die reports and dies
// holding it; try-* exits 0 when it was taken in time, else 2.
#include <REDudi/threads.h>

#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4)
        return 64;
    const std::string mode = argv[2], tag = argv[3];
    const unsigned int timeout = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 5000;
    REDudi::AMRSWMutex lock(argv[1]);
    if (!lock.IsValid())
        return 3;
    const bool shared = mode.find("shared") != std::string::npos;
    const bool held = shared ? lock.AcquireShared(timeout) : lock.AcquireExclusive(timeout);
    if (mode.compare(0, 4, "try-") == 0) {
        if (held)
            shared ? lock.ReleaseShared() : lock.ReleaseExclusive();
        return held ? 0 : 2;
    }
    if (!held)
        return 4;
    HANDLE in = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, ("redudi_mrsw_in_" + tag).c_str());
    ReleaseSemaphore(in, 1, nullptr);
    if (mode.find("-die") != std::string::npos)
        TerminateProcess(GetCurrentProcess(), 9); // dies holding the lock
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, ("redudi_mrsw_go_" + tag).c_str());
    WaitForSingleObject(go, 15000);
    shared ? lock.ReleaseShared() : lock.ReleaseExclusive();
    return 0;
}
