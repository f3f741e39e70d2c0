// Decimal text <-> unsigned numbers with the C runtime's rules, fixed to
// 32-bit arithmetic so that every target gives the same results.
#pragma once

#include <string>

namespace REDudi {

// atol() on a platform with a 32-bit long, as an unsigned number: leading
// white space and a sign are accepted, reading stops at the first non-digit,
// out-of-range text saturates at LONG_MAX / LONG_MIN. No digits gives 0.
unsigned int DecimalTextToLong(const char* text);

// wcstoul(text, nullptr, 10) with a 32-bit unsigned long: a leading minus
// negates, too large a number gives 0xFFFFFFFF. No digits gives 0.
unsigned int DecimalUnitsToUnsigned(const unsigned short* text);

// "0", "1", ... "4294967295".
std::string UnsignedToDecimal(unsigned int value);

// The key of an indexed entry: the name followed directly by the index.
std::string IndexedName(const char* name, unsigned int index);

} // namespace REDudi
