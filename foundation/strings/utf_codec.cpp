// The UTF-8 <-> UTF-16 transcoders run one loop over the input. ASCII goes a
// block at a time (16 bytes with SSE2, a machine word otherwise), written out
// whole and then counted; every other character is decoded straight-line
// with a single validity test on the value it decodes to. Blocks and
// sequences may read and write past the character at hand, so the loop runs
// in place only while a whole block of input is left; the last few units go
// through the same loop in a padded copy.
#include "foundation/strings/utf_codec.h"

#include <cstring>

#if defined(__SSE2__) && !defined(REDUDI_UTF_PORTABLE)
#define REDUDI_UTF_SSE2 1
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

#if !defined(REDUDI_UTF_SSE2)
// Index of the first byte of `word` (in memory order) with a bit set.
unsigned FirstByteSet(std::uint64_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<unsigned>(__builtin_clzll(word)) / 8;
#else
    return static_cast<unsigned>(__builtin_ctzll(word)) / 8;
#endif
}
#endif

// Widens one block of bytes to units whatever it holds and returns how many
// of its leading bytes are ASCII (the whole block when all are): the units
// after them are rewritten by whatever comes next.
#if defined(REDUDI_UTF_SSE2)
constexpr std::size_t kByteBlock = 16;

std::size_t WidenAsciiBlock(const std::uint8_t* in, std::uint16_t* out) {
    const __m128i zero = _mm_setzero_si128();
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    unsigned high = static_cast<unsigned>(_mm_movemask_epi8(bytes));
    return high == 0 ? kByteBlock : static_cast<std::size_t>(__builtin_ctz(high));
}
#else
constexpr std::size_t kByteBlock = 8;

std::size_t WidenAsciiBlock(const std::uint8_t* in, std::uint16_t* out) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    for (std::size_t k = 0; k < 8; ++k)
        out[k] = in[k];
    std::uint64_t high = word & 0x8080808080808080ull;
    return high == 0 ? kByteBlock : FirstByteSet(high);
}
#endif

// The same for units narrowed to bytes; a unit above 0x7F leaves some byte.
#if defined(REDUDI_UTF_SSE2)
constexpr std::size_t kUnitBlock = 16;

std::size_t NarrowAsciiBlock(const std::uint16_t* in, std::uint8_t* out) {
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
    unsigned asciiA =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(a, high), zero)));
    unsigned asciiB =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(b, high), zero)));
    unsigned other = ~(asciiA | asciiB << 16);
    return other == 0 ? kUnitBlock : static_cast<std::size_t>(__builtin_ctz(other)) / 2;
}
#else
constexpr std::size_t kUnitBlock = 4;

std::size_t NarrowAsciiBlock(const std::uint16_t* in, std::uint8_t* out) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    for (std::size_t k = 0; k < 4; ++k)
        out[k] = static_cast<std::uint8_t>(in[k]);
    std::uint64_t high = word & 0xFF80FF80FF80FF80ull;
    return high == 0 ? kUnitBlock : FirstByteSet(high) / 2;
}
#endif

// Decodes from `p` while it is below `stop`; the caller guarantees a whole
// block readable from any such `p`, and output room for a block beyond the
// units written (never more units are written than bytes read). False on an
// ill-formed sequence. A sequence cut short by the end of the input reads
// the padding after it, which is never a continuation byte, and fails.
bool DecodeUtf8(const std::uint8_t*& from, const std::uint8_t* stop, std::uint16_t*& to) {
    // Local cursors: stores through the output could otherwise alias them.
    const std::uint8_t* p = from;
    std::uint16_t* q = to;
    while (p < stop) {
        std::uint32_t lead = p[0];
        if (lead < 0x80) {
            std::size_t ascii = WidenAsciiBlock(p, q);
            p += ascii;
            q += ascii;
            continue;
        }
        // Continuation bytes become their six payload bits; anything else
        // becomes 0x40 or more.
        std::uint32_t c1 = p[1] ^ 0x80u;
        if (lead < 0xE0) {
            if ((lead < 0xC2) | (c1 > 0x3F))
                return false;
            *q++ = static_cast<std::uint16_t>((lead & 0x1F) << 6 | c1);
            p += 2;
        } else if (lead < 0xF0) {
            std::uint32_t c2 = p[2] ^ 0x80u;
            std::uint32_t cp = (lead & 0x0F) << 12 | c1 << 6 | c2;
            // An overlong form (E0 with a second byte below A0) decodes below
            // 0x800, an encoded surrogate (ED with A0 or above) into
            // D800..DFFF.
            if (((c1 | c2) > 0x3F) | (cp < 0x800) | (cp - 0xD800 < 0x800))
                return false;
            *q++ = static_cast<std::uint16_t>(cp);
            p += 3;
        } else {
            std::uint32_t c2 = p[2] ^ 0x80u, c3 = p[3] ^ 0x80u;
            std::uint32_t cp = (lead & 0x0F) << 18 | c1 << 12 | c2 << 6 | c3;
            // Overlong forms (F0 below 90) decode below 0x10000; F4 with 90
            // or above and the leads F5..FF above 0x10FFFF.
            if (((c1 | c2 | c3) > 0x3F) | (cp - 0x10000 > 0xFFFFF))
                return false;
            q[0] = static_cast<std::uint16_t>(0xD7C0 + (cp >> 10));
            q[1] = static_cast<std::uint16_t>(0xDC00 | (cp & 0x3FF));
            q += 2;
            p += 4;
        }
    }
    from = p;
    to = q;
    return true;
}

// The same contract towards UTF-8: a block readable from any `p` below
// `stop`, room for a block beyond the bytes written (at most three per unit
// read). A high surrogate at the end meets the padding, which is no low
// surrogate, and fails.
bool EncodeUtf8(const std::uint16_t*& from, const std::uint16_t* stop, std::uint8_t*& to) {
    const std::uint16_t* p = from;
    std::uint8_t* q = to;
    while (p < stop) {
        std::uint32_t u = p[0];
        if (u < 0x80) {
            std::size_t ascii = NarrowAsciiBlock(p, q);
            p += ascii;
            q += ascii;
        } else if (u < 0x800) {
            q[0] = static_cast<std::uint8_t>(0xC0 | u >> 6);
            q[1] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
            q += 2;
            p += 1;
        } else if (u - 0xD800 >= 0x800) {
            q[0] = static_cast<std::uint8_t>(0xE0 | u >> 12);
            q[1] = static_cast<std::uint8_t>(0x80 | ((u >> 6) & 0x3F));
            q[2] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
            q += 3;
            p += 1;
        } else {
            std::uint32_t low = p[1];
            if ((u > 0xDBFF) | (low - 0xDC00 >= 0x400))
                return false;
            std::uint32_t cp = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            q[0] = static_cast<std::uint8_t>(0xF0 | cp >> 18);
            q[1] = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
            q[2] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            q[3] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
            q += 4;
            p += 2;
        }
    }
    from = p;
    to = q;
    return true;
}

} // namespace

std::size_t Utf8ToUtf16(const std::uint8_t* in, std::size_t length, std::uint16_t* out) {
    const std::uint8_t* p = in;
    std::uint16_t* q = out;
    if (length >= kByteBlock && !DecodeUtf8(p, in + length - kByteBlock + 1, q))
        return kUtfError;
    // The rest, fewer than a block, in a copy padded with NUL bytes; ASCII
    // blocks there may count padding, which adds as many units as bytes.
    std::size_t rest = static_cast<std::size_t>(in + length - p);
    std::uint8_t tail[2 * kByteBlock] = {};
    std::uint16_t tailOut[2 * kByteBlock];
    std::memcpy(tail, p, rest);
    const std::uint8_t* tp = tail;
    std::uint16_t* tq = tailOut;
    if (!DecodeUtf8(tp, tail + rest, tq))
        return kUtfError;
    std::size_t units =
        static_cast<std::size_t>(tq - tailOut) - static_cast<std::size_t>(tp - (tail + rest));
    std::memcpy(q, tailOut, units * sizeof(std::uint16_t));
    return static_cast<std::size_t>(q - out) + units;
}

std::size_t Utf16ToUtf8(const std::uint16_t* in, std::size_t length, std::uint8_t* out) {
    const std::uint16_t* p = in;
    std::uint8_t* q = out;
    if (length >= kUnitBlock && !EncodeUtf8(p, in + length - kUnitBlock + 1, q))
        return kUtfError;
    std::size_t rest = static_cast<std::size_t>(in + length - p);
    std::uint16_t tail[2 * kUnitBlock] = {};
    std::uint8_t tailOut[4 * kUnitBlock];
    std::memcpy(tail, p, rest * sizeof(std::uint16_t));
    const std::uint16_t* tp = tail;
    std::uint8_t* tq = tailOut;
    if (!EncodeUtf8(tp, tail + rest, tq))
        return kUtfError;
    std::size_t bytes =
        static_cast<std::size_t>(tq - tailOut) - static_cast<std::size_t>(tp - (tail + rest));
    std::memcpy(q, tailOut, bytes);
    return static_cast<std::size_t>(q - out) + bytes;
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
