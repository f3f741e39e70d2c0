// Equality of short texts (directive texts, variable names, values such as
// "0"), compared a word at a time in place: they are a few units long,
// shorter than a library call takes to set up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace REDudi {
namespace preprocessing {

template <class Word>
bool SameWord(const char* a, const char* b) {
    Word x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return x == y;
}

// Up to eight bytes at a time, the last word overlapping the one before.
inline bool SameBytes(const char* a, const char* b, std::size_t count) {
    if (count >= 8) {
        for (; count > 8; count -= 8, a += 8, b += 8)
            if (!SameWord<std::uint64_t>(a, b))
                return false;
        return SameWord<std::uint64_t>(a + count - 8, b + count - 8);
    }
    if (count >= 4)
        return SameWord<std::uint32_t>(a, b) &&
               SameWord<std::uint32_t>(a + count - 4, b + count - 4);
    if (count >= 2)
        return SameWord<std::uint16_t>(a, b) &&
               SameWord<std::uint16_t>(a + count - 2, b + count - 2);
    return count == 0 || *a == *b;
}

template <class Unit>
bool SameUnits(const Unit* a, const Unit* b, std::size_t count) {
    return SameBytes(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b),
                     count * sizeof(Unit));
}

// Whole texts of any two string types of one unit type.
template <class A, class B>
bool SameText(const A& a, const B& b) {
    return a.size() == b.size() && SameUnits(a.data(), b.data(), a.size());
}

} // namespace preprocessing
} // namespace REDudi
