// The UTF-8 <-> UTF-16 loops and their block routines, included by
// utf_codec.cpp once per instruction set inside a namespace of its own (so
// it has no include guard).
// Every function here carries REDUDI_UTF_TARGET, so that the byte shuffles
// of REDUDI_UTF_SHUFFLE are inlined into loops compiled for them.
//
// The loops take runs of characters a block at a time: ASCII (16 bytes with
// SSE2, a machine word otherwise) and, with SSE2, runs of two- and
// three-byte sequences towards UTF-16 and blocks of eight units of any mix,
// surrogate pairs included, towards UTF-8; with byte shuffles also blocks
// of mixed one- to three-byte sequences towards UTF-16. A block is written
// out whole and then counted, and a whole block advances by a constant so
// that the next need not wait for the count. What no block takes is decoded
// straight-line with one validity test on the value it decodes to. Blocks
// may read and write past the characters they take, so the loop runs in
// place only while a whole block of input is left; the last few units go
// through the same loop in a padded copy.

// Decodes the one character at `p` straight-line into `q`; returns the
// bytes it takes, or 0 when it is ill-formed.
REDUDI_UTF_TARGET inline std::size_t DecodeCharacter(const std::uint8_t* p, std::uint16_t*& q) {
    std::uint32_t lead = p[0];
    if (lead < 0x80) {
        *q++ = static_cast<std::uint16_t>(lead);
        return 1;
    }
    // Continuation bytes become their six payload bits; anything else
    // becomes 0x40 or more.
    std::uint32_t c1 = p[1] ^ 0x80u;
    if (lead < 0xE0) {
        if ((lead < 0xC2) | (c1 > 0x3F))
            return 0;
        *q++ = static_cast<std::uint16_t>((lead & 0x1F) << 6 | c1);
        return 2;
    } else if (lead < 0xF0) {
        std::uint32_t c2 = p[2] ^ 0x80u;
        std::uint32_t cp = (lead & 0x0F) << 12 | c1 << 6 | c2;
        // An overlong form (E0 with a second byte below A0) decodes below
        // 0x800, an encoded surrogate (ED with A0 or above) into
        // D800..DFFF.
        if (((c1 | c2) > 0x3F) | (cp < 0x800) | (cp - 0xD800 < 0x800))
            return 0;
        *q++ = static_cast<std::uint16_t>(cp);
        return 3;
    }
    std::uint32_t c2 = p[2] ^ 0x80u, c3 = p[3] ^ 0x80u;
    std::uint32_t cp = (lead & 0x0F) << 18 | c1 << 12 | c2 << 6 | c3;
    // Overlong forms (F0 below 90) decode below 0x10000; F4 with 90
    // or above and the leads F5..FF above 0x10FFFF.
    if (((c1 | c2 | c3) > 0x3F) | (cp - 0x10000 > 0xFFFFF))
        return 0;
    q[0] = static_cast<std::uint16_t>(0xD7C0 + (cp >> 10));
    q[1] = static_cast<std::uint16_t>(0xDC00 | (cp & 0x3FF));
    q += 2;
    return 4;
}

#if defined(REDUDI_UTF_SSE2)
constexpr std::size_t kByteBlock = 16;
constexpr std::size_t kUnitBlock = 16;

REDUDI_UTF_TARGET inline __m128i Splat16(int value) {
    return _mm_set1_epi16(static_cast<short>(value));
}
REDUDI_UTF_TARGET inline __m128i Splat32(int value) {
    return _mm_set1_epi32(value);
}

// Each block routine reads one block at `in`, writes its whole result at
// `out` whatever the input holds, and returns how many of the leading
// characters were of its kind: the output beyond them is rewritten by
// whatever comes next. Counts come from a lane mask, where the first lane
// not of the kind is the lowest clear bit.
REDUDI_UTF_TARGET inline std::size_t LeadingLanes(std::uint32_t mask, unsigned bitsPerLane) {
    return static_cast<std::size_t>(__builtin_ctzll(~static_cast<std::uint64_t>(mask))) /
           bitsPerLane;
}

REDUDI_UTF_TARGET inline std::size_t WidenAsciiBlock(const std::uint8_t* in, std::uint16_t* out) {
    const __m128i zero = _mm_setzero_si128();
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    return LeadingLanes(~static_cast<unsigned>(_mm_movemask_epi8(bytes)) & 0xFFFF, 1);
}

// Towards UTF-16: eight two-byte sequences at most, a lead in the low byte
// of each lane.
REDUDI_UTF_TARGET inline std::size_t DecodeTwoByteBlock(const std::uint8_t* in,
                                                        std::uint16_t* out) {
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

REDUDI_UTF_TARGET inline int Load32(const std::uint8_t* in) {
    int word;
    std::memcpy(&word, in, 4);
    return word;
}

// Three-byte sequences in 32-bit lanes (lead in the low byte): their values,
// and which are well-formed. The overlong forms (E0 with a second byte below
// A0) decode below 0x800, the encoded surrogates (ED with A0 or above) into
// D800..DFFF.
REDUDI_UTF_TARGET inline __m128i ThreeByteValues32(__m128i seqs) {
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_and_si128(seqs, Splat32(0x0F)), 12),
                                     _mm_srli_epi32(_mm_and_si128(seqs, Splat32(0x3F00)), 2)),
                        _mm_srli_epi32(_mm_and_si128(seqs, Splat32(0x3F0000)), 16));
}
REDUDI_UTF_TARGET inline __m128i ThreeByteLanesGood32(__m128i seqs, __m128i cps) {
    __m128i shaped = _mm_cmpeq_epi32(_mm_and_si128(seqs, Splat32(0xC0C0F0)), Splat32(0x8080E0));
    __m128i overlong = _mm_cmplt_epi32(cps, Splat32(0x800));
    __m128i surrogate = _mm_cmpeq_epi32(_mm_and_si128(cps, Splat32(0xF800)), Splat32(0xD800));
    return _mm_andnot_si128(_mm_or_si128(overlong, surrogate), shaped);
}

// Four values up to 0xFFFF in 32-bit lanes stored as four units. Signed
// packing keeps them once moved down by 0x8000.
REDUDI_UTF_TARGET inline void PutUnits32(__m128i cps, std::uint16_t* out) {
    __m128i biased = _mm_sub_epi32(cps, Splat32(0x8000));
    __m128i units = _mm_add_epi16(_mm_packs_epi32(biased, biased), Splat16(0x8000));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), units);
}

// Four three-byte sequences at most, one in each 32-bit lane.
REDUDI_UTF_TARGET inline std::size_t DecodeThreeByteBlock(const std::uint8_t* in,
                                                          std::uint16_t* out) {
    __m128i seqs = _mm_setr_epi32(Load32(in), Load32(in + 3), Load32(in + 6), Load32(in + 9));
    __m128i cps = ThreeByteValues32(seqs);
    PutUnits32(cps, out);
    return LeadingLanes(static_cast<unsigned>(_mm_movemask_epi8(ThreeByteLanesGood32(seqs, cps))),
                        4);
}

#if REDUDI_UTF_SHUFFLE
constexpr Utf8ShuffleTables kShuffles = BuildUtf8ShuffleTables();

REDUDI_UTF_TARGET inline __m128i LoadShuffle(const std::uint8_t (&shuffle)[16]) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle));
}

// Bit i set where byte i of the 16 at `in` starts a character: any byte but
// the continuation bytes 0x80..0xBF, which are the signed bytes below -64.
REDUDI_UTF_TARGET inline unsigned CharacterStarts(const std::uint8_t* in) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(bytes, _mm_set1_epi8(-64)))) &
           0xFFFF;
}

// Towards UTF-16 from `p`, given where the characters after its first byte
// start (bit i for byte i + 1): the first six characters when each has one
// or two bytes, otherwise the first four when each has one to three, split
// at their ends and shuffled into lanes. Writes them at `q` and returns the
// bytes taken when all of them are well-formed, otherwise 0 and leaves them
// to the character-by-character decoder.
REDUDI_UTF_TARGET inline std::size_t DecodeMixedStep(const std::uint8_t* p, unsigned ends,
                                                     std::uint16_t*& q) {
    DecodeStep step = kShuffles.steps[ends & 0xFFF];
    if (step.shuffle == kNoStep)
        return 0;
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i lanes = _mm_shuffle_epi8(bytes, LoadShuffle(kShuffles.decode[step.shuffle]));
    if (step.shuffle < kPairShuffles) {
        // A lane holds an ASCII byte, or a continuation byte below a lead
        // C2..DF: as signed 16-bit values 0xC200 to 0xDFFF.
        __m128i one = _mm_cmpeq_epi16(_mm_and_si128(lanes, Splat16(0xFF80)), _mm_setzero_si128());
        __m128i two = _mm_and_si128(_mm_cmpgt_epi16(lanes, Splat16(0xC1FF)),
                                    _mm_cmplt_epi16(lanes, Splat16(0xE000)));
        if (_mm_movemask_epi8(_mm_or_si128(one, two)) != 0xFFFF)
            return 0;
        // The payload bits of either kind, the high byte's weighted by 64.
        __m128i units = _mm_maddubs_epi16(_mm_and_si128(lanes, Splat16(0x1F7F)), Splat16(0x4001));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), units);
        q += kPairLanes;
    } else {
        __m128i one = _mm_cmpeq_epi32(_mm_and_si128(lanes, Splat32(~0x7F)), _mm_setzero_si128());
        // Two bytes and no third one.
        __m128i two = _mm_andnot_si128(
            _mm_cmpeq_epi32(_mm_and_si128(lanes, Splat32(0x1E)), _mm_setzero_si128()),
            _mm_cmpeq_epi32(_mm_and_si128(lanes, Splat32(0xFFC0E0)), Splat32(0x80C0)));
        __m128i threeValues = ThreeByteValues32(lanes);
        __m128i three = ThreeByteLanesGood32(lanes, threeValues);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(one, two), three)) != 0xFFFF)
            return 0;
        __m128i twoValues = _mm_or_si128(_mm_slli_epi32(_mm_and_si128(lanes, Splat32(0x1F)), 6),
                                         _mm_and_si128(_mm_srli_epi32(lanes, 8), Splat32(0x3F)));
        __m128i cps =
            _mm_or_si128(_mm_or_si128(_mm_and_si128(one, lanes), _mm_and_si128(two, twoValues)),
                         _mm_and_si128(three, threeValues));
        PutUnits32(cps, q);
        q += kTripleLanes;
    }
    return step.bytes;
}

// Mixed steps from `p` for as long as they take their characters. Where 64
// bytes are readable the character starts of all of them are found at once,
// so that each step waits only for the one before to be looked up.
REDUDI_UTF_TARGET inline void DecodeMixedRun(const std::uint8_t*& p, const std::uint8_t* stop,
                                             std::uint16_t*& q) {
    while (p + 48 < stop) {
        // Bit i: byte i ends a character (the next one starts one).
        std::uint64_t ends = 0;
        for (unsigned k = 0; k < 4; ++k)
            ends |= static_cast<std::uint64_t>(CharacterStarts(p + 16 * k)) << 16 * k;
        ends >>= 1;
        std::size_t offset = 0;
        do {
            std::size_t taken =
                DecodeMixedStep(p + offset, static_cast<unsigned>(ends >> offset), q);
            // A character the step cannot take (one of four bytes) goes on
            // its own.
            if (taken == 0)
                taken = DecodeCharacter(p + offset, q);
            if (taken == 0) {
                p += offset;
                return;
            }
            offset += taken;
        } while (offset <= 48);
        p += offset;
    }
    while (p < stop) {
        std::size_t taken = DecodeMixedStep(p, CharacterStarts(p) >> 1, q);
        if (taken == 0)
            taken = DecodeCharacter(p, q);
        if (taken == 0)
            return;
        p += taken;
    }
}
#endif

REDUDI_UTF_TARGET inline std::size_t NarrowAsciiBlock(const std::uint16_t* in, std::uint8_t* out) {
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
REDUDI_UTF_TARGET inline __m128i TwoByteLanes(__m128i units) {
    return _mm_or_si128(_mm_or_si128(_mm_srli_epi16(units, 6),
                                     _mm_slli_epi16(_mm_and_si128(units, Splat16(0x3F)), 8)),
                        Splat16(0x80C0));
}

// Units 0x800..0xFFFF in 32-bit lanes, each becoming its three bytes.
REDUDI_UTF_TARGET inline __m128i ThreeByteLanes(__m128i units) {
    return _mm_or_si128(_mm_or_si128(_mm_srli_epi32(units, 12),
                                     _mm_and_si128(_mm_slli_epi32(units, 2), Splat32(0x3F00))),
                        _mm_or_si128(_mm_and_si128(_mm_slli_epi32(units, 16), Splat32(0x3F0000)),
                                     Splat32(0x8080E0)));
}

// Four units 0x800..0xFFFF in 32-bit lanes written as twelve bytes: packed
// together in each half, then two eight-byte stores (the last two bytes of
// each are overwritten by the next).
REDUDI_UTF_TARGET inline void PutThreeByteLanes(__m128i units, std::uint8_t* out) {
    __m128i bytes = ThreeByteLanes(units);
    __m128i packed =
        _mm_or_si128(_mm_and_si128(bytes, _mm_set1_epi64x(0xFFFFFF)),
                     _mm_and_si128(_mm_srli_epi64(bytes, 8), _mm_set1_epi64x(0xFFFFFF000000)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_srli_si128(packed, 8));
}

REDUDI_UTF_TARGET inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

struct Encoded {
    std::size_t units;
    std::size_t bytes;
};

// Encodes the eight units at `in`, or those before the first surrogate
// among them that is not paired, into `out` (up to 28 bytes are written);
// returns how many units were encoded into how many bytes. Blocks of one
// length (all ASCII, all two-byte, all three-byte) are stored directly; any
// other mix lane by lane, each lane taking one to three bytes: a pair's
// four bytes are split between its two units, so that a pair may straddle
// two blocks. `previous` holds the units of the block before (zero for the
// first) and is given this block's.
REDUDI_UTF_TARGET inline Encoded EncodeMixedBlock(const std::uint16_t* in, std::uint8_t* out,
                                                  __m128i& previous) {
    const __m128i zero = _mm_setzero_si128();
    __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i last = previous;
    previous = units;
    __m128i top = _mm_and_si128(units, Splat16(0xF800));
    __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, Splat16(0xFF80)), zero);
    __m128i small = _mm_cmpeq_epi16(top, zero);
    __m128i surrogate = _mm_cmpeq_epi16(top, Splat16(0xD800));
    unsigned surrogates = static_cast<unsigned>(_mm_movemask_epi8(surrogate));
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
    std::size_t count = 8;
    // Surrogates are encoded as two-byte characters of a value w with the
    // lead byte corrected: the high unit gives F0 | v >> 8 and
    // 80 | (v >> 2 & 3F) (v = high - 0xD7C0, the code point's bits above the
    // low ten), so w = v >> 2 and C0 becomes F0; the low unit gives
    // 80 | (v & 3) << 4 | (low >> 6 & F) and 80 | (low & 3F), so w is the
    // low ten bits below the two from the high unit and C0 becomes 80.
    __m128i twoSource = units, twoFix = zero;
    if (surrogates != 0) {
        __m128i half = _mm_and_si128(units, Splat16(0xFC00));
        __m128i high = _mm_cmpeq_epi16(half, Splat16(0xD800));
        __m128i low = _mm_andnot_si128(high, surrogate);
        // The unit before each lane (the first from the block before) and
        // after it: a pair may straddle two blocks.
        __m128i before = _mm_or_si128(_mm_slli_si128(units, 2), _mm_srli_si128(last, 14));
        __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 1));
        __m128i lowAfter = _mm_cmpeq_epi16(_mm_and_si128(after, Splat16(0xFC00)), Splat16(0xDC00));
        __m128i highBefore =
            _mm_cmpeq_epi16(_mm_and_si128(before, Splat16(0xFC00)), Splat16(0xD800));
        __m128i paired =
            _mm_or_si128(_mm_and_si128(high, lowAfter), _mm_and_si128(low, highBefore));
        unsigned unpaired =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(paired, surrogate)));
        if (unpaired != 0)
            count = LeadingLanes(~unpaired & 0xFFFF, 2);
        __m128i highW = _mm_srli_epi16(_mm_sub_epi16(units, Splat16(0xD7C0)), 2);
        __m128i lowW = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(before, Splat16(3)), 10),
                                    _mm_and_si128(units, Splat16(0x3FF)));
        twoSource = Select(high, highW, Select(low, lowW, units));
        twoFix =
            _mm_or_si128(_mm_and_si128(high, Splat16(0x30)), _mm_and_si128(low, Splat16(0x40)));
        small = _mm_or_si128(small, surrogate);
        smallMask |= surrogates;
    }
    __m128i twoFirst = _mm_xor_si128(TwoByteLanes(twoSource), twoFix);
#if REDUDI_UTF_SHUFFLE
    // Lanes of one or two bytes only (text of Latin, Greek or Cyrillic
    // letters and spaces, or of ASCII and emoji) in one shuffle.
    if (smallMask == 0xFFFF && count == 8) {
        unsigned wide =
            ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ascii, zero))) & 0xFF;
        __m128i lanes = Select(ascii, units, twoFirst);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_shuffle_epi8(lanes, LoadShuffle(kShuffles.narrow[wide])));
        return {8, 8 + static_cast<std::size_t>(kShuffles.narrowWide[wide])};
    }
#endif
    // Each lane's first two bytes, then its third (used by three-byte lanes
    // only).
    __m128i threeFirst =
        _mm_or_si128(_mm_or_si128(_mm_srli_epi16(units, 12),
                                  _mm_and_si128(_mm_slli_epi16(units, 2), Splat16(0x3F00))),
                     Splat16(0x80E0));
    __m128i first = Select(ascii, units, Select(small, twoFirst, threeFirst));
    __m128i third = _mm_or_si128(_mm_and_si128(units, Splat16(0x3F)), Splat16(0x80));
    // Lengths 3, less one when below 0x800 or a surrogate, less one more
    // when ASCII; their running sums (one byte each) give every lane's
    // offset.
    __m128i lengths = _mm_add_epi16(Splat16(3), _mm_add_epi16(ascii, small));
    std::uint64_t lengthBytes;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&lengthBytes), _mm_packus_epi16(lengths, lengths));
    std::uint64_t ends = lengthBytes * 0x0101010101010101ull;
    __m128i encodedLow = _mm_unpacklo_epi16(first, third);
    __m128i encodedHigh = _mm_unpackhi_epi16(first, third);
#if REDUDI_UTF_SHUFFLE
    // Two bits a lane, the lengths less one, index each half's pack: the
    // multiplication gathers the low bits of four bytes into one.
    std::uint64_t codes = (lengthBytes - 0x0101010101010101ull) & 0x0303030303030303ull;
    unsigned lowCode = static_cast<unsigned>((codes & 0xFFFFFFFF) * 0x01041040 >> 24 & 0xFF);
    unsigned highCode = static_cast<unsigned>((codes >> 32) * 0x01041040 >> 24 & 0xFF);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_shuffle_epi8(encodedLow, LoadShuffle(kShuffles.encode[lowCode])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (ends >> 24 & 0xFF)),
                     _mm_shuffle_epi8(encodedHigh, LoadShuffle(kShuffles.encode[highCode])));
#else
    // A lane's store may run into the next lane's bytes, which the next
    // store then writes.
    std::uint64_t offsetBytes = (lengthBytes << 8) * 0x0101010101010101ull;
    std::uint8_t offsets[8];
    std::memcpy(offsets, &offsetBytes, 8);
    alignas(16) std::uint32_t encoded[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(encoded), encodedLow);
    _mm_store_si128(reinterpret_cast<__m128i*>(encoded + 4), encodedHigh);
    for (int lane = 0; lane < 8; ++lane)
        std::memcpy(out + offsets[lane], &encoded[lane], 4);
#endif
    std::size_t bytes = count == 0 ? 0 : static_cast<std::size_t>(ends >> (8 * (count - 1)) & 0xFF);
    return {count, bytes};
}
#else
constexpr std::size_t kByteBlock = 8;
constexpr std::size_t kUnitBlock = 4;

// Index of the first byte of `word` (in memory order) with a bit set.
inline std::size_t FirstByteSet(std::uint64_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<std::size_t>(__builtin_clzll(word)) / 8;
#else
    return static_cast<std::size_t>(__builtin_ctzll(word)) / 8;
#endif
}

// A machine word of bytes widened to units whatever it holds; returns how
// many of the leading bytes are ASCII.
inline std::size_t WidenAsciiBlock(const std::uint8_t* in, std::uint16_t* out) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    for (std::size_t k = 0; k < 8; ++k)
        out[k] = in[k];
    std::uint64_t high = word & 0x8080808080808080ull;
    return high == 0 ? kByteBlock : FirstByteSet(high);
}

// The same for units narrowed to bytes; a unit above 0x7F leaves some bit.
inline std::size_t NarrowAsciiBlock(const std::uint16_t* in, std::uint8_t* out) {
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
REDUDI_UTF_TARGET inline std::size_t RunBlocks(const In*& p, const In* stop, Out*& q, Block block) {
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
REDUDI_UTF_TARGET inline bool DecodeUtf8(const std::uint8_t*& from, const std::uint8_t* stop,
                                         std::uint16_t*& to) {
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
        // With byte shuffles, a character followed by one of another length
        // starts a block of mixed lengths instead.
        std::size_t run = 0;
        if (lead < 0xE0 && (!REDUDI_UTF_SHUFFLE || (p[2] & 0xE0) == 0xC0))
            run = RunBlocks<8, 2, 1>(p, stop, q, DecodeTwoByteBlock);
        else if (lead - 0xE0 < 0x10 && (!REDUDI_UTF_SHUFFLE || (p[3] & 0xF0) == 0xE0))
            run = RunBlocks<4, 3, 1>(p, stop, q, DecodeThreeByteBlock);
        if (run != 0)
            continue;
#if REDUDI_UTF_SHUFFLE
        // Blocks of mixed lengths go on through ASCII until one refuses.
        if (lead < 0xF0) {
            const std::uint8_t* start = p;
            DecodeMixedRun(p, stop, q);
            if (p != start)
                continue;
        }
#endif
#endif
        std::size_t taken = DecodeCharacter(p, q);
        if (taken == 0)
            return false;
        p += taken;
    }
    from = p;
    to = q;
    return true;
}

// The same contract towards UTF-8: a block readable from any `p` below
// `stop`, kBytesRoom bytes of room beyond those written (at most three per
// unit read). A high surrogate at the end meets the padding, which is no low
// surrogate, and fails.
REDUDI_UTF_TARGET inline bool EncodeUtf8(const std::uint16_t*& from, const std::uint16_t* stop,
                                         std::uint8_t*& to) {
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
            continue;
        }
#if defined(REDUDI_UTF_SSE2)
        // Text other than ASCII mixes characters of one to four bytes:
        // blocks of any mix go on until a unit that is not part of a whole
        // pair, which the code below then refuses.
        const std::uint16_t* start = p;
        __m128i previous = _mm_setzero_si128();
        for (;;) {
            Encoded block = EncodeMixedBlock(p, q, previous);
            q += block.bytes;
            if (block.units != 8) {
                p += block.units;
                break;
            }
            p += 8;
            if (p >= stop) {
                // A pair cut by the end of the run goes whole into the next.
                if ((p[-1] & 0xFC00) == 0xD800) {
                    p -= 1;
                    q -= 2;
                }
                break;
            }
        }
        if (p != start)
            continue;
#else
        if (u < 0x800) {
            q[0] = static_cast<std::uint8_t>(0xC0 | u >> 6);
            q[1] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
            q += 2;
            p += 1;
            continue;
        }
        if (u - 0xD800 >= 0x800) {
            q[0] = static_cast<std::uint8_t>(0xE0 | u >> 12);
            q[1] = static_cast<std::uint8_t>(0x80 | ((u >> 6) & 0x3F));
            q[2] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
            q += 3;
            p += 1;
            continue;
        }
#endif
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
    from = p;
    to = q;
    return true;
}

REDUDI_UTF_TARGET std::size_t Utf8ToUtf16(const std::uint8_t* in, std::size_t length,
                                          std::uint16_t* out) {
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

REDUDI_UTF_TARGET std::size_t Utf16ToUtf8(const std::uint16_t* in, std::size_t length,
                                          std::uint8_t* out) {
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
