#include "system/win32/cpu.h"

#include "system/cpu_frequency.h"

#include <cpuid.h>
#include <process.h>
#include <x86intrin.h>

#include <new>

namespace REDudi {

const char* const CPU::kProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

namespace {

const unsigned int kIdFlag = 0x200000;
const unsigned int kAlignmentCheckFlag = 0x40000;
const unsigned int kTimeStampCounterFeature = 0x10;

volatile LONG runningWorkers = 0;

// Whether `flag` of EFLAGS can be toggled. 64-bit processors have CPUID and
// alignment checking, so only the 32-bit build asks the processor.
bool CanToggleFlag(unsigned int flag) {
#if defined(__x86_64__)
    (void)flag;
    return true;
#else
    unsigned int before = 0, after = 0;
    __asm__ volatile("pushfl\n\t"
                     "popl %0\n\t"
                     "movl %0, %1\n\t"
                     "xorl %2, %1\n\t"
                     "pushl %1\n\t"
                     "popfl\n\t"
                     "pushfl\n\t"
                     "popl %1\n\t"
                     "pushl %0\n\t"
                     "popfl"
                     : "=&r"(before), "=&r"(after)
                     : "r"(flag)
                     : "cc");
    return ((before ^ after) & flag) != 0;
#endif
}

unsigned int FeatureFlags() {
    if (!CanToggleFlag(kIdFlag))
        return 0;
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return 0;
    return edx;
}

LONGLONG Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Spins until `ticks` counter ticks have passed since `from`.
LONGLONG SpinFor(LONGLONG from, LONGLONG ticks) {
    LONGLONG now = Counter();
    while (now - from < ticks)
        now = Counter();
    return now;
}

// Counts the time-stamp counter across 1000 performance-counter ticks,
// several times, at the highest priority the thread may take.
unsigned long long TimeStampMhz() {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return 0;
    FrequencyTries tries;
    HANDLE thread = GetCurrentThread();
    do {
        LONGLONG first = Counter();
        int priority = GetThreadPriority(thread);
        bool raised = priority != THREAD_PRIORITY_ERROR_RETURN &&
                      SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
        LONGLONG begin = SpinFor(first, 50);
        unsigned long long start = __rdtsc();
        LONGLONG end = SpinFor(begin, 1000);
        unsigned long long stop = __rdtsc();
        if (raised)
            SetThreadPriority(thread, priority);
        tries.Add(stop - start,
                  MicrosecondsOf(static_cast<unsigned long long>(end - begin),
                                 static_cast<unsigned long long>(frequency.QuadPart)));
    } while (tries.WantsAnother());
    return tries.RawMhz();
}

// Times 4000 bit-scan instructions, whose cycle count per family is known;
// the fastest of ten runs counts.
unsigned long long InstructionLoopMhz(unsigned int family) {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return 0;
    LONGLONG fastest = -1;
    for (int run = 0; run < 10; ++run) {
        LONGLONG begin = Counter();
        for (unsigned int i = 0, value = 0x80000000u; i < 4000; ++i) {
            unsigned int index;
            __asm__ volatile("bsf %1, %0" : "=r"(index) : "r"(value) : "cc");
        }
        LONGLONG ticks = Counter() - begin;
        if (fastest < 0 || ticks < fastest)
            fastest = ticks;
    }
    unsigned long long microseconds =
        MicrosecondsOf(static_cast<unsigned long long>(fastest),
                       static_cast<unsigned long long>(frequency.QuadPart));
    return RoundedQuotient(LoopCyclesOfFamily(family), microseconds);
}

// What a measurement and the caller who started it share. The caller may
// give up waiting and go; whichever of the two lets go last frees it, so the
// worker never writes into released memory.
struct Measurement {
    volatile LONG owners = 2;
    volatile LONG mhz = -1;
    // The module holding the worker's code, kept loaded until the worker
    // has left it: a caller may unload the library while it still runs.
    HMODULE code = nullptr;

    void Release() {
        if (InterlockedDecrement(&owners) == 0)
            delete this;
    }
};

unsigned __stdcall MeasureOnWorker(void* argument) {
    auto* measurement = static_cast<Measurement*>(argument);
    unsigned long long mhz = MeasureProcessorMhz();
    // A value beyond the field's range is as useless as a failure.
    InterlockedExchange(&measurement->mhz, mhz > 0x7FFFFFFF ? -1 : static_cast<LONG>(mhz));
    HMODULE code = measurement->code;
    measurement->Release();
    InterlockedDecrement(&runningWorkers);
    if (code != nullptr)
        FreeLibraryAndExitThread(code, 0);
    return 0;
}

} // namespace

unsigned int ProcessorFamily() {
    if (CanToggleFlag(kIdFlag)) {
        Sleep(50);
        unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
        __get_cpuid(0, &eax, &ebx, &ecx, &edx); // the vendor does not change the method
        if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
            return 0;
        return (eax >> 8) & 0xF;
    }
    // Protected mode rules out the 8086 and the 286; the alignment-check
    // flag tells the 386 from the 486.
    return CanToggleFlag(kAlignmentCheckFlag) ? 4 : 3;
}

unsigned long long MeasureProcessorMhz() {
    unsigned int family = ProcessorFamily();
    if (FeatureFlags() & kTimeStampCounterFeature)
        return TimeStampMhz();
    if (family >= 3)
        return InstructionLoopMhz(family);
    return 0;
}

CPU::CPU(HKEY root, const char* key) : root_(root), key_(key), speed_(0) {}

CPU::~CPU() {}

long CPU::RunningWorkers() {
    return InterlockedCompareExchange(&runningWorkers, 0, 0);
}

bool CPU::ReadRegisteredSpeed(DWORD& mhz) const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = false;
    for (const char* name : {"~MHz", "~Mhz", "~mhz"}) {
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS) {
            mhz = value;
            found = true;
            break;
        }
    }
    RegCloseKey(key);
    return found;
}

unsigned int CPU::GetSpeed(unsigned int timeoutSeconds, bool terminate) {
    DWORD registered = 0;
    if (ReadRegisteredSpeed(registered))
        return registered;

    speed_ = -1;
    auto* measurement = new (std::nothrow) Measurement;
    if (measurement == nullptr)
        return kNoSpeed;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&MeasureOnWorker), &measurement->code);
    InterlockedIncrement(&runningWorkers);
    HANDLE worker = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, MeasureOnWorker, measurement, 0, nullptr));
    if (worker == nullptr) {
        InterlockedDecrement(&runningWorkers);
        if (measurement->code != nullptr)
            FreeLibrary(measurement->code);
        delete measurement;
        return kNoSpeed;
    }
    // Limits beyond what a wait can express wait without one.
    DWORD wait = timeoutSeconds >= INFINITE / 1000 ? INFINITE : timeoutSeconds * 1000;
    if (WaitForSingleObject(worker, wait) == WAIT_OBJECT_0) {
        speed_ = static_cast<int>(InterlockedCompareExchange(&measurement->mhz, 0, 0));
    } else {
        speed_ = -1;
        // A killed worker never lets go of its share, which is then left
        // behind: freeing it here could race with a worker that just ended.
        if (terminate)
            TerminateThread(worker, static_cast<DWORD>(-1));
    }
    measurement->Release();
    CloseHandle(worker);
    return static_cast<unsigned int>(speed_);
}

} // namespace REDudi
