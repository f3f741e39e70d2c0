// The arithmetic of measuring a processor's clock against the performance
// counter: counter ticks to microseconds, the settling of repeated tries,
// and the cycle counts of the instruction-loop method.
#pragma once

namespace REDudi {

// Microseconds in `ticks` of a counter running at `frequency` ticks per
// second; 0 for a counter slower than 10 Hz.
unsigned long long MicrosecondsOf(unsigned long long ticks, unsigned long long frequency);

// `dividend` / `divisor` rounded to the nearest, a remainder above half the
// divisor rounding up; 0 for a zero divisor.
unsigned long long RoundedQuotient(unsigned long long dividend, unsigned long long divisor);

// The cycles that 4000 bit-scan instructions take on a processor of
// `family`; 0 where the family is unknown.
unsigned long long LoopCyclesOfFamily(unsigned int family);

// The tries of the time-stamp method. At least three are made, and more,
// up to twenty, while the last three disagree with their mean by more than
// 1 MHz.
class FrequencyTries {
public:
    static constexpr int kMinimum = 3;
    static constexpr int kMaximum = 20;

    void Add(unsigned long long cycles, unsigned long long microseconds);
    bool WantsAnother() const;
    // Total cycles over total microseconds, truncated; 0 before any time.
    unsigned long long RawMhz() const;

private:
    int tries_ = 0;
    unsigned long long totalCycles_ = 0;
    unsigned long long totalMicroseconds_ = 0;
    long long lastMhz_[3] = {0, 0, 0};
};

} // namespace REDudi
