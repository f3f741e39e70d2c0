#include "config/decimal_text.h"

#include <cstdint>

namespace REDudi {

namespace {

template <class Unit>
bool IsCSpace(Unit c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Skips white space and a sign; returns true for a minus.
template <class Unit>
bool SkipSpaceAndSign(const Unit*& p) {
    while (IsCSpace(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    return negative;
}

// Accumulates digits, stopping the growth once `limit` is exceeded.
template <class Unit>
uint64_t ReadDigits(const Unit*& p, uint64_t limit, bool& overflow) {
    uint64_t n = 0;
    overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (!overflow) {
            n = n * 10 + static_cast<uint64_t>(*p - '0');
            overflow = n > limit;
        }
    }
    return n;
}

} // namespace

unsigned int DecimalTextToLong(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    bool negative = SkipSpaceAndSign(p);
    bool overflow = false;
    uint64_t magnitude = ReadDigits(p, negative ? 0x80000000ull : 0x7FFFFFFFull, overflow);
    if (overflow)
        return negative ? 0x80000000u : 0x7FFFFFFFu;
    int64_t signedValue = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return static_cast<unsigned int>(static_cast<int32_t>(signedValue));
}

unsigned int DecimalUnitsToUnsigned(const unsigned short* text) {
    const unsigned short* p = text;
    bool negative = SkipSpaceAndSign(p);
    bool overflow = false;
    uint64_t n = ReadDigits(p, 0xFFFFFFFFull, overflow);
    if (overflow)
        return 0xFFFFFFFFu;
    unsigned int value = static_cast<unsigned int>(n);
    return negative ? 0u - value : value;
}

std::string UnsignedToDecimal(unsigned int value) {
    char digits[16];
    char* end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::string(p, end);
}

std::string IndexedName(const char* name, unsigned int index) {
    return std::string(name) + UnsignedToDecimal(index);
}

} // namespace REDudi
