// The UTF-8 <-> UTF-16 transcoders run one loop over the input that takes
// runs of characters a block at a time: ASCII (16 bytes with SSE2, a machine
// word otherwise) and, with SSE2, runs of two- and three-byte sequences
// towards UTF-16 and blocks of eight units of any mix below the surrogates
// towards UTF-8. A block is written out whole and then counted, and a whole
// block advances by a constant so that the next need not wait for the count.
// What no block takes is decoded straight-line with one validity test on the
// value it decodes to. Blocks may read and write past the characters they
// take, so the loop runs in place only while a whole block of input is
// left; the last few units go through the same loop in a padded copy.
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

#if defined(REDUDI_UTF_SSE2)
constexpr std::size_t kByteBlock = 16;
constexpr std::size_t kUnitBlock = 16;

__m128i Splat16(int value) {
    return _mm_set1_epi16(static_cast<short>(value));
}
__m128i Splat32(int value) {
    return _mm_set1_epi32(value);
}

// Each block routine reads one block at `in`, writes its whole result at
// `out` whatever the input holds, and returns how many of the leading
// characters were of its kind: the output beyond them is rewritten by
// whatever comes next. Counts come from a lane mask, where the first lane
// not of the kind is the lowest clear bit.
std::size_t LeadingLanes(std::uint32_t mask, unsigned bitsPerLane) {
    return static_cast<std::size_t>(__builtin_ctzll(~static_cast<std::uint64_t>(mask))) /
           bitsPerLane;
}

std::size_t WidenAsciiBlock(const std::uint8_t* in, std::uint16_t* out) {
    const __m128i zero = _mm_setzero_si128();
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    return LeadingLanes(~static_cast<unsigned>(_mm_movemask_epi8(bytes)) & 0xFFFF, 1);
}

// Towards UTF-16: eight two-byte sequences at most, a lead in the low byte
// of each lane.
std::size_t DecodeTwoByteBlock(const std::uint8_t* in, std::uint16_t* out) {
    __m128i pairs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i shaped = _mm_cmpeq_epi16(_mm_and_si128(pairs, Splat16(0xC0E0)), Splat16(0x80C0));
    // Leads C0 and C1 are overlong forms of ASCII.
    __m128i overlong = _mm_cmpeq_epi16(_mm_and_si128(pairs, Splat16(0x1E)), _mm_setzero_si128());
    __m128i units = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(pairs, Splat16(0x1F)), 6),
                                 _mm_and_si128(_mm_srli_epi16(pairs, 8), Splat16(0x3F)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), units);
    return LeadingLanes(
        static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(overlong, shaped))), 2);
}

int Load32(const std::uint8_t* in) {
    int word;
    std::memcpy(&word, in, 4);
    return word;
}

// Four three-byte sequences at most, one in each 32-bit lane.
std::size_t DecodeThreeByteBlock(const std::uint8_t* in, std::uint16_t* out) {
    __m128i seqs = _mm_setr_epi32(Load32(in), Load32(in + 3), Load32(in + 6), Load32(in + 9));
    __m128i shaped = _mm_cmpeq_epi32(_mm_and_si128(seqs, Splat32(0xC0C0F0)), Splat32(0x8080E0));
    __m128i cps =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_and_si128(seqs, Splat32(0x0F)), 12),
                                  _mm_srli_epi32(_mm_and_si128(seqs, Splat32(0x3F00)), 2)),
                     _mm_srli_epi32(_mm_and_si128(seqs, Splat32(0x3F0000)), 16));
    // The overlong forms (E0 with a second byte below A0) decode below 0x800,
    // the encoded surrogates (ED with A0 or above) into D800..DFFF.
    __m128i overlong = _mm_cmplt_epi32(cps, Splat32(0x800));
    __m128i surrogate = _mm_cmpeq_epi32(_mm_and_si128(cps, Splat32(0xF800)), Splat32(0xD800));
    __m128i good = _mm_andnot_si128(_mm_or_si128(overlong, surrogate), shaped);
    // Signed packing keeps values up to 0xFFFF once moved down by 0x8000.
    __m128i biased = _mm_sub_epi32(cps, Splat32(0x8000));
    __m128i units = _mm_add_epi16(_mm_packs_epi32(biased, biased), Splat16(0x8000));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), units);
    return LeadingLanes(static_cast<unsigned>(_mm_movemask_epi8(good)), 4);
}

std::size_t NarrowAsciiBlock(const std::uint16_t* in, std::uint8_t* out) {
    const __m128i high = Splat16(0xFF80);
    const __m128i zero = _mm_setzero_si128();
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
    unsigned asciiA =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(a, high), zero)));
    unsigned asciiB =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(b, high), zero)));
    return LeadingLanes(asciiA | asciiB << 16, 2);
}

// Towards UTF-8: eight units 0x80..0x7FF, each lane becoming its two bytes.
__m128i TwoByteLanes(__m128i units) {
    return _mm_or_si128(_mm_or_si128(_mm_srli_epi16(units, 6),
                                     _mm_slli_epi16(_mm_and_si128(units, Splat16(0x3F)), 8)),
                        Splat16(0x80C0));
}

// Units 0x800..0xFFFF in 32-bit lanes, each becoming its three bytes.
__m128i ThreeByteLanes(__m128i units) {
    return _mm_or_si128(_mm_or_si128(_mm_srli_epi32(units, 12),
                                     _mm_and_si128(_mm_slli_epi32(units, 2), Splat32(0x3F00))),
                        _mm_or_si128(_mm_and_si128(_mm_slli_epi32(units, 16), Splat32(0x3F0000)),
                                     Splat32(0x8080E0)));
}

// Four units 0x800..0xFFFF in 32-bit lanes written as twelve bytes: packed
// together in each half, then two eight-byte stores (the last two bytes of
// each are overwritten by the next).
void PutThreeByteLanes(__m128i units, std::uint8_t* out) {
    __m128i bytes = ThreeByteLanes(units);
    __m128i packed =
        _mm_or_si128(_mm_and_si128(bytes, _mm_set1_epi64x(0xFFFFFF)),
                     _mm_and_si128(_mm_srli_epi64(bytes, 8), _mm_set1_epi64x(0xFFFFFF000000)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_srli_si128(packed, 8));
}

__m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

struct Encoded {
    std::size_t units;
    std::size_t bytes;
};

// Encodes the eight units at `in`, or those before the first surrogate
// among them, into `out` (up to 26 bytes are written); returns how many
// units were encoded into how many bytes. Blocks of one length (all
// ASCII, all two-byte, all three-byte) are stored directly; any other mix
// lane by lane at offsets summed from the lengths, with no branch per unit.
Encoded EncodeBmpBlock(const std::uint16_t* in, std::uint8_t* out) {
    const __m128i zero = _mm_setzero_si128();
    __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i top = _mm_and_si128(units, Splat16(0xF800));
    __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, Splat16(0xFF80)), zero);
    __m128i small = _mm_cmpeq_epi16(top, zero);
    unsigned surrogates =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(top, Splat16(0xD800))));
    unsigned asciiMask = static_cast<unsigned>(_mm_movemask_epi8(ascii));
    unsigned smallMask = static_cast<unsigned>(_mm_movemask_epi8(small));
    if (surrogates == 0) {
        if (asciiMask == 0xFFFF) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
            return {8, 8};
        }
        if (smallMask == 0) {
            PutThreeByteLanes(_mm_unpacklo_epi16(units, zero), out);
            PutThreeByteLanes(_mm_unpackhi_epi16(units, zero), out + 12);
            return {8, 24};
        }
        if (smallMask == 0xFFFF && asciiMask == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), TwoByteLanes(units));
            return {8, 16};
        }
    }
    // Lengths 3, less one when below 0x800, less one more when ASCII; their
    // running sums (one byte each) give every lane's offset.
    __m128i lengths = _mm_add_epi16(Splat16(3), _mm_add_epi16(ascii, small));
    std::uint64_t lengthBytes;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&lengthBytes), _mm_packus_epi16(lengths, lengths));
    std::uint64_t offsetBytes = (lengthBytes << 8) * 0x0101010101010101ull;
    std::uint8_t offsets[8];
    std::memcpy(offsets, &offsetBytes, 8);
    // Each lane's first two bytes, then its third (used by three-byte lanes
    // only); a lane's store may run into the next lane's bytes, which the
    // next store then writes.
    __m128i threeFirst =
        _mm_or_si128(_mm_or_si128(_mm_srli_epi16(units, 12),
                                  _mm_and_si128(_mm_slli_epi16(units, 2), Splat16(0x3F00))),
                     Splat16(0x80E0));
    __m128i first = Select(ascii, units, Select(small, TwoByteLanes(units), threeFirst));
    __m128i third = _mm_or_si128(_mm_and_si128(units, Splat16(0x3F)), Splat16(0x80));
    alignas(16) std::uint32_t encoded[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(encoded), _mm_unpacklo_epi16(first, third));
    _mm_store_si128(reinterpret_cast<__m128i*>(encoded + 4), _mm_unpackhi_epi16(first, third));
    for (int lane = 0; lane < 8; ++lane)
        std::memcpy(out + offsets[lane], &encoded[lane], 4);
    std::size_t count = surrogates == 0 ? 8 : LeadingLanes(~surrogates & 0xFFFF, 2);
    std::uint64_t ends = lengthBytes * 0x0101010101010101ull;
    std::size_t bytes = count == 0 ? 0 : static_cast<std::size_t>(ends >> (8 * (count - 1)) & 0xFF);
    return {count, bytes};
}
#else
constexpr std::size_t kByteBlock = 8;
constexpr std::size_t kUnitBlock = 4;

// Index of the first byte of `word` (in memory order) with a bit set.
std::size_t FirstByteSet(std::uint64_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<std::size_t>(__builtin_clzll(word)) / 8;
#else
    return static_cast<std::size_t>(__builtin_ctzll(word)) / 8;
#endif
}

// A machine word of bytes widened to units whatever it holds; returns how
// many of the leading bytes are ASCII.
std::size_t WidenAsciiBlock(const std::uint8_t* in, std::uint16_t* out) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    for (std::size_t k = 0; k < 8; ++k)
        out[k] = in[k];
    std::uint64_t high = word & 0x8080808080808080ull;
    return high == 0 ? kByteBlock : FirstByteSet(high);
}

// The same for units narrowed to bytes; a unit above 0x7F leaves some bit.
std::size_t NarrowAsciiBlock(const std::uint16_t* in, std::uint8_t* out) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    for (std::size_t k = 0; k < 4; ++k)
        out[k] = static_cast<std::uint8_t>(in[k]);
    std::uint64_t high = word & 0xFF80FF80FF80FF80ull;
    return high == 0 ? kUnitBlock : FirstByteSet(high) / 2;
}
#endif

// Calls `block` from `p` for as long as it handles all `kLanes` characters
// and `p` stays below `stop`; each character takes `kIn` input and `kOut`
// output units. Whole blocks advance by constants, so that the next block
// need not wait for this one's count. Returns the characters handled.
template <std::size_t kLanes, std::size_t kIn, std::size_t kOut, class In, class Out, class Block>
std::size_t RunBlocks(const In*& p, const In* stop, Out*& q, Block block) {
    std::size_t total = 0;
    for (;;) {
        std::size_t run = block(p, q);
        if (run != kLanes) {
            p += kIn * run;
            q += kOut * run;
            return total + run;
        }
        p += kIn * kLanes;
        q += kOut * kLanes;
        total += kLanes;
        if (p >= stop)
            return total;
    }
}

// Output room the routines below need beyond the units they have written.
constexpr std::size_t kUnitsRoom = kByteBlock;
constexpr std::size_t kBytesRoom = kUnitBlock + 16;

// Decodes from `p` while it is below `stop`. The caller guarantees a whole
// block readable from any such `p`, and kUnitsRoom units of output beyond
// those written (never more units are written than bytes read). False on an
// ill-formed sequence. A sequence cut short by the end of the input reads
// the padding after it, which is never a continuation byte, and fails.
bool DecodeUtf8(const std::uint8_t*& from, const std::uint8_t* stop, std::uint16_t*& to) {
    // Local cursors: stores through the output could otherwise alias them.
    const std::uint8_t* p = from;
    std::uint16_t* q = to;
    while (p < stop) {
        std::uint32_t lead = p[0];
        if (lead < 0x80) {
            // A lone ASCII byte between other characters (a space between
            // words) is cheaper on its own than as a block.
            if (p[1] >= 0x80) {
                *q++ = static_cast<std::uint16_t>(lead);
                ++p;
                continue;
            }
            RunBlocks<kByteBlock, 1, 1>(p, stop, q, WidenAsciiBlock);
            continue;
        }
#if defined(REDUDI_UTF_SSE2)
        // Runs of two- and three-byte characters (a word of Greek or
        // Cyrillic, a phrase of Chinese) go several at once; a sequence the
        // block refuses is looked at again below.
        std::size_t run = 0;
        if (lead < 0xE0)
            run = RunBlocks<8, 2, 1>(p, stop, q, DecodeTwoByteBlock);
        else if (lead < 0xF0)
            run = RunBlocks<4, 3, 1>(p, stop, q, DecodeThreeByteBlock);
        if (run != 0)
            continue;
#endif
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
// `stop`, kBytesRoom bytes of room beyond those written (at most three per
// unit read). A high surrogate at the end meets the padding, which is no low
// surrogate, and fails.
bool EncodeUtf8(const std::uint16_t*& from, const std::uint16_t* stop, std::uint8_t*& to) {
    const std::uint16_t* p = from;
    std::uint8_t* q = to;
    while (p < stop) {
        std::uint32_t u = p[0];
        if (u < 0x80) {
            // A lone ASCII unit between other characters (a space between
            // words) is cheaper on its own than as a block.
            if (p[1] >= 0x80) {
                *q++ = static_cast<std::uint8_t>(u);
                ++p;
                continue;
            }
            RunBlocks<kUnitBlock, 1, 1>(p, stop, q, NarrowAsciiBlock);
#if defined(REDUDI_UTF_SSE2)
        } else if (u - 0xD800 >= 0x800) {
            // Text other than ASCII mixes characters of one, two and three
            // bytes: blocks of any mix go on until a surrogate.
            for (;;) {
                Encoded block = EncodeBmpBlock(p, q);
                q += block.bytes;
                if (block.units != 8) {
                    p += block.units;
                    break;
                }
                p += 8;
                if (p >= stop)
                    break;
            }
#else
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
#endif
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
    std::uint16_t tailOut[kByteBlock + kUnitsRoom];
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
    std::uint8_t tailOut[3 * kUnitBlock + kBytesRoom];
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
