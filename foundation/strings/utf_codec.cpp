// The transcoders take an ASCII fast path a block at a time (SSE2 where the
// target has it, eight bytes in a machine word otherwise) and fall back to a
// strict code-point loop at the first non-ASCII unit.
#include "foundation/strings/utf_codec.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace REDudi {
namespace utf {

namespace {

constexpr std::uint32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
bool IsSurrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDFFF;
}

// Reads one code point from 16-bit input at `i`, advancing it. Every unpaired
// surrogate fails, including a high surrogate that ends the input: a caller
// that splits text at arbitrary points would otherwise get a half pair out
// as if it were a character of its own.
bool NextCodePoint16(const std::uint16_t* in, std::size_t length, std::size_t& i,
                     std::uint32_t& cp) {
    std::uint32_t u = in[i++];
    if (!IsSurrogate(u)) {
        cp = u;
        return true;
    }
    if (!IsHighSurrogate(u) || i == length || !IsLowSurrogate(in[i]))
        return false;
    cp = 0x10000 + ((u - 0xD800) << 10) + (in[i++] - 0xDC00);
    return true;
}

std::uint16_t* PutUtf16(std::uint32_t cp, std::uint16_t* out) {
    if (cp < 0x10000) {
        *out++ = static_cast<std::uint16_t>(cp);
    } else {
        cp -= 0x10000;
        *out++ = static_cast<std::uint16_t>(0xD800 + (cp >> 10));
        *out++ = static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF));
    }
    return out;
}

// Number of leading units of `in` that are ASCII, copied to `out` as they go.
std::size_t CopyAsciiBytesToUnits(const std::uint8_t* in, std::size_t length, std::uint16_t* out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= length; i += 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (_mm_movemask_epi8(bytes) != 0)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
    }
#else
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, in + i, 8);
        if (word & 0x8080808080808080ull)
            break;
        for (int k = 0; k < 8; ++k)
            out[i + k] = in[i + k];
    }
#endif
    while (i < length && in[i] < 0x80) {
        out[i] = in[i];
        ++i;
    }
    return i;
}

std::size_t CopyAsciiUnitsToBytes(const std::uint16_t* in, std::size_t length, std::uint8_t* out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    for (; i + 16 <= length; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 8));
        __m128i any = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(any, _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
    }
#else
    for (; i + 4 <= length; i += 4) {
        std::uint64_t word;
        std::memcpy(&word, in + i, 8);
        if (word & 0xFF80FF80FF80FF80ull)
            break;
        for (int k = 0; k < 4; ++k)
            out[i + k] = static_cast<std::uint8_t>(in[i + k]);
    }
#endif
    while (i < length && in[i] < 0x80) {
        out[i] = static_cast<std::uint8_t>(in[i]);
        ++i;
    }
    return i;
}

} // namespace

std::size_t Utf16ToUtf8(const std::uint16_t* in, std::size_t length, std::uint8_t* out) {
    std::uint8_t* const begin = out;
    std::size_t i = 0;
    while (i < length) {
        std::uint32_t u = in[i];
        if (u < 0x80) {
            // Runs of ASCII go a block at a time; a lone ASCII unit between
            // other characters is cheaper on its own.
            if (length - i >= 16 && in[i + 1] < 0x80) {
                std::size_t ascii = CopyAsciiUnitsToBytes(in + i, length - i, out);
                i += ascii;
                out += ascii;
            } else {
                *out++ = static_cast<std::uint8_t>(u);
                ++i;
            }
            continue;
        }
        if (u < 0x800) {
            out[0] = static_cast<std::uint8_t>(0xC0 | (u >> 6));
            out[1] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
            out += 2;
            ++i;
            continue;
        }
        if (!IsSurrogate(u)) {
            out[0] = static_cast<std::uint8_t>(0xE0 | (u >> 12));
            out[1] = static_cast<std::uint8_t>(0x80 | ((u >> 6) & 0x3F));
            out[2] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
            out += 3;
            ++i;
            continue;
        }
        std::uint32_t cp;
        if (!NextCodePoint16(in, length, i, cp))
            return kUtfError;
        out[0] = static_cast<std::uint8_t>(0xF0 | (cp >> 18));
        out[1] = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
        out[2] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        out[3] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
        out += 4;
    }
    return static_cast<std::size_t>(out - begin);
}

std::size_t Utf8ToUtf16(const std::uint8_t* in, std::size_t length, std::uint16_t* out) {
    std::uint16_t* const begin = out;
    std::size_t i = 0;
    while (i < length) {
        std::uint32_t lead = in[i];
        if (lead < 0x80) {
            if (length - i >= 16 && in[i + 1] < 0x80) {
                std::size_t ascii = CopyAsciiBytesToUnits(in + i, length - i, out);
                i += ascii;
                out += ascii;
            } else {
                *out++ = static_cast<std::uint16_t>(lead);
                ++i;
            }
            continue;
        }
        // The two-byte form needs no range test beyond its lead.
        if (lead >= 0xC2 && lead <= 0xDF && length - i >= 2 && (in[i + 1] & 0xC0) == 0x80) {
            *out++ = static_cast<std::uint16_t>((lead & 0x1F) << 6 | (in[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        // Neither does the three-byte form with a lead other than E0 and ED,
        // which is most of Chinese, Japanese and Korean text.
        if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && length - i >= 3 &&
            (in[i + 1] & 0xC0) == 0x80 && (in[i + 2] & 0xC0) == 0x80) {
            *out++ = static_cast<std::uint16_t>((lead & 0x0F) << 12 | (in[i + 1] & 0x3F) << 6 |
                                                (in[i + 2] & 0x3F));
            i += 3;
            continue;
        }
        // The second byte's range depends on the lead so that overlong forms,
        // encoded surrogates and values above 0x10FFFF are refused before
        // anything is decoded.
        std::size_t extra;
        std::uint32_t low = 0x80, high = 0xBF, cp;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return kUtfError;
        }
        if (length - i <= extra)
            return kUtfError;
        std::uint32_t second = in[i + 1];
        if (second < low || second > high)
            return kUtfError;
        cp = (cp << 6) | (second & 0x3F);
        for (std::size_t k = 2; k <= extra; ++k) {
            std::uint32_t next = in[i + k];
            if ((next & 0xC0) != 0x80)
                return kUtfError;
            cp = (cp << 6) | (next & 0x3F);
        }
        i += extra + 1;
        out = PutUtf16(cp, out);
    }
    return static_cast<std::size_t>(out - begin);
}

std::size_t Utf16ToUtf32(const std::uint16_t* in, std::size_t length, std::uint32_t* out) {
    std::uint32_t* const begin = out;
    std::size_t i = 0;
    while (i < length) {
        std::uint32_t cp;
        if (!NextCodePoint16(in, length, i, cp))
            return kUtfError;
        *out++ = cp;
    }
    return static_cast<std::size_t>(out - begin);
}

std::size_t Utf32ToUtf16(const std::uint32_t* in, std::size_t length, std::uint16_t* out) {
    std::uint16_t* const begin = out;
    for (std::size_t i = 0; i < length; ++i) {
        std::uint32_t cp = in[i];
        if (cp > kMaxCodePoint || IsSurrogate(cp))
            return kUtfError;
        out = PutUtf16(cp, out);
    }
    return static_cast<std::size_t>(out - begin);
}

} // namespace utf
} // namespace REDudi
