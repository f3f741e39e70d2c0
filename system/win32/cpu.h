// Identifies the processor and finds its clock speed: the value Windows
// keeps in the registry when there is one, otherwise a measurement against
// the performance counter on a worker thread that is given a time limit.
#pragma once

#include <REDudi/strings.h>

#include <windows.h>

namespace REDudi {

class CPU {
public:
    // Where Windows keeps the first processor's description.
    static const char* const kProcessorKey;
    static constexpr unsigned int kNoSpeed = 0xFFFFFFFF;

    // The description is read from `key` below `root`.
    explicit CPU(HKEY root = HKEY_LOCAL_MACHINE, const char* key = kProcessorKey);
    virtual ~CPU();

    // The speed in MHz, or kNoSpeed when the measurement failed or did not
    // end within `timeoutSeconds` (0xFFFFFFFF: no limit). With `terminate` a
    // worker that overran is killed; otherwise it finishes on its own.
    unsigned int GetSpeed(unsigned int timeoutSeconds, bool terminate);

    // Workers still running, for tests that check none outlives its use.
    static long RunningWorkers();

    // The speed Windows registered, under any of its spellings.
    bool ReadRegisteredSpeed(DWORD& mhz) const;

private:
    CPU(const CPU&);
    CPU& operator=(const CPU&);

    HKEY root_;
    PString key_;
    // -1 while a measurement is pending or after it failed.
    int speed_;
    PString name_;
};

// The processor family, 0 (8086) to 4 (486) without CPUID.
unsigned int ProcessorFamily();

// The raw clock frequency in MHz measured by whichever method the processor
// supports; 0 when none does.
unsigned long long MeasureProcessorMhz();

} // namespace REDudi
