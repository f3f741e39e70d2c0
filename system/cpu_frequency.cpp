#include "system/cpu_frequency.h"

namespace REDudi {

unsigned long long MicrosecondsOf(unsigned long long ticks, unsigned long long frequency) {
    unsigned long long tenths = frequency / 10;
    if (tenths == 0)
        return 0;
    return ticks * 100000 / tenths;
}

unsigned long long RoundedQuotient(unsigned long long dividend, unsigned long long divisor) {
    if (divisor == 0)
        return 0;
    unsigned long long quotient = dividend / divisor;
    if (dividend % divisor > divisor / 2)
        ++quotient;
    return quotient;
}

unsigned long long LoopCyclesOfFamily(unsigned int family) {
    static const unsigned long long kCyclesPerScan[] = {0,  0,  0,  115, 47, 43,
                                                        38, 38, 38, 38,  38, 38};
    const unsigned int known = sizeof kCyclesPerScan / sizeof kCyclesPerScan[0];
    return family < known ? 4000 * kCyclesPerScan[family] : 0;
}

void FrequencyTries::Add(unsigned long long cycles, unsigned long long microseconds) {
    lastMhz_[0] = lastMhz_[1];
    lastMhz_[1] = lastMhz_[2];
    lastMhz_[2] = static_cast<long long>(RoundedQuotient(cycles, microseconds));
    totalCycles_ += cycles;
    totalMicroseconds_ += microseconds;
    ++tries_;
}

bool FrequencyTries::WantsAnother() const {
    if (tries_ < kMinimum)
        return true;
    if (tries_ >= kMaximum)
        return false;
    long long sum = lastMhz_[0] + lastMhz_[1] + lastMhz_[2];
    for (long long mhz : lastMhz_) {
        long long deviation = 3 * mhz - sum;
        if (deviation > 3 || deviation < -3)
            return true;
    }
    return false;
}

unsigned long long FrequencyTries::RawMhz() const {
    return totalMicroseconds_ == 0 ? 0 : totalCycles_ / totalMicroseconds_;
}

} // namespace REDudi
