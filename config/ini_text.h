// Character classes and name comparison of the INI format, fixed to the C
// locale so that every target reads a file the same way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace REDudi {
namespace ini {

inline bool IsSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// _stricmp(a, b) == 0 in the C locale.
inline bool EqualNoCase(const char* a, size_t aLength, const char* b, size_t bLength) {
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The same for two NUL-terminated texts, without measuring them first.
inline bool EqualNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = FoldCase(static_cast<unsigned char>(*a));
        if (ca != FoldCase(static_cast<unsigned char>(*b)))
            return false;
        if (ca == '\0')
            return true;
    }
}

inline size_t HashNoCase(const char* text, size_t length) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < length; ++i) {
        h ^= FoldCase(static_cast<unsigned char>(text[i]));
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h ^ (h >> 29));
}

} // namespace ini
} // namespace REDudi
