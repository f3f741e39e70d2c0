// A writer process of the reader benchmark: traces COUNT records flat out
// through the library's writer.
//   trace_flood CLASS WRITER COUNT
// Each message is "WRITER SEQUENCE TICKET", where TICKET is the region's
// record count just before the record goes in: the record's position in the
// ring's one written order, which lets the benchmark tell records the reader
// legitimately missed (overwritten) from records it lost.
#include <REDudi/logging.h>
#include <REDudi/platform.h>

#include "bench_names.h"
#include "logging/win32/log_map.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

using namespace REDudi;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: trace_flood CLASS WRITER COUNT\n");
        return 2;
    }
    int writer = std::atoi(argv[2]);
    int count = std::atoi(argv[3]);
    ALogger logger;
    logger.SetClass(PString(argv[1]));
    HANDLE mutex = OpenMutexA(
        SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE,
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMutexName))
            .c_str());
    HANDLE mapping = OpenFileMappingA(
        FILE_MAP_READ, FALSE,
        AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(logmap::kMappingName))
            .c_str());
    const auto* region = mapping ? static_cast<const WIN32_LogMap*>(MapViewOfFile(
                                       mapping, FILE_MAP_READ, 0, 0, logmap::kRegionSize))
                                 : nullptr;
    HANDLE ready = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, bench::kReadySemaphore);
    HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, bench::kStartEvent);
    if (!logger.IsValid() || mutex == nullptr || region == nullptr || ready == nullptr ||
        start == nullptr) {
        std::fprintf(stderr, "trace_flood: cannot open the trace log or the benchmark's events\n");
        return 1;
    }
    ReleaseSemaphore(ready, 1, nullptr);
    if (WaitForSingleObject(start, 60000) != WAIT_OBJECT_0)
        return 1;
    for (int i = 0; i < count; ++i) {
        // The writer takes the same mutex again (it is recursive), so the
        // ticket read here is the count its record gets.
        WaitForSingleObject(mutex, INFINITE);
        logger.ClassTrace("flood", 3, 0u, "%d %d %u", writer, i, region->count);
        ReleaseMutex(mutex);
    }
    return 0;
}
