// Byte shuffles for the UTF-8 <-> UTF-16 blocks that mix characters of
// different lengths, built at compile time.
//
// Towards UTF-16 a block of UTF-8 is split at its character ends: bit i of
// an end mask says that byte i is the last of its character. The first six
// characters, when each has one or two bytes, go to 16-bit lanes (last
// byte low); otherwise the first four, when each has one to three bytes, go
// to 32-bit lanes. Missing bytes are zero. Twelve bits of ends are enough
// for both, so the step for every mask is looked up in one table.
//
// Towards UTF-8 four 32-bit lanes of one to three bytes each are packed
// together; the pack for a half block is looked up by the lengths less one,
// two bits a lane. Eight 16-bit lanes of one or two bytes each are packed
// by a table looked up by the lanes with two.
#pragma once

#include <cstdint>

namespace REDudi {
namespace utf {

constexpr std::uint8_t kZeroByte = 0x80; // a shuffle index that gives zero
constexpr unsigned kPairLanes = 6;       // characters of one or two bytes
constexpr unsigned kTripleLanes = 4;     // characters of one to three bytes
constexpr unsigned kPairShuffles = 1u << kPairLanes;
constexpr unsigned kTripleShuffles = 3 * 3 * 3 * 3;
constexpr std::uint8_t kNoStep = 0xFF;

struct DecodeStep {
    std::uint8_t shuffle; // below kPairShuffles: 16-bit lanes; kNoStep: none
    std::uint8_t bytes;   // input bytes the step takes
};

struct Utf8ShuffleTables {
    DecodeStep steps[1u << 12];
    std::uint8_t decode[kPairShuffles + kTripleShuffles][16];
    std::uint8_t encode[256][16];
    std::uint8_t narrow[256][16]; // eight 16-bit lanes, bit k: lane k has two bytes
    std::uint8_t narrowWide[256]; // lanes with two bytes
};

constexpr Utf8ShuffleTables BuildUtf8ShuffleTables() {
    Utf8ShuffleTables t{};
    for (unsigned index = 0; index < kPairShuffles + kTripleShuffles; ++index) {
        bool pairs = index < kPairShuffles;
        unsigned code = pairs ? index : index - kPairShuffles;
        unsigned lanes = pairs ? kPairLanes : kTripleLanes, width = pairs ? 2 : 4;
        for (unsigned k = 0; k < 16; ++k)
            t.decode[index][k] = kZeroByte;
        unsigned start = 0;
        for (unsigned lane = 0; lane < lanes; ++lane) {
            unsigned length = pairs ? (code >> lane & 1) + 1 : code % 3 + 1;
            if (!pairs)
                code /= 3;
            // In 16-bit lanes the last byte goes low, so that a lead is high.
            for (unsigned k = 0; k < length; ++k)
                t.decode[index][lane * width + k] =
                    static_cast<std::uint8_t>(pairs ? start + length - 1 - k : start + k);
            start += length;
        }
    }
    for (unsigned ends = 0; ends < (1u << 12); ++ends) {
        unsigned lengths[kPairLanes] = {};
        unsigned found = 0, start = 0;
        for (unsigned i = 0; i < 12 && found < kPairLanes; ++i) {
            if (ends >> i & 1) {
                lengths[found++] = i + 1 - start;
                start = i + 1;
            }
        }
        unsigned pairCode = 0, tripleCode = 0, pairBytes = 0, tripleBytes = 0;
        bool pairs = found == kPairLanes, triples = found >= kTripleLanes;
        for (unsigned lane = 0, scale = 1; lane < kPairLanes; ++lane) {
            pairs = pairs && lengths[lane] <= 2;
            pairCode |= (lengths[lane] - 1) << lane;
            pairBytes += lengths[lane];
            if (lane < kTripleLanes) {
                triples = triples && lengths[lane] <= 3;
                tripleCode += (lengths[lane] - 1) * scale;
                tripleBytes += lengths[lane];
                scale *= 3;
            }
        }
        DecodeStep step{kNoStep, 0};
        if (pairs)
            step = {static_cast<std::uint8_t>(pairCode), static_cast<std::uint8_t>(pairBytes)};
        else if (triples)
            step = {static_cast<std::uint8_t>(kPairShuffles + tripleCode),
                    static_cast<std::uint8_t>(tripleBytes)};
        t.steps[ends] = step;
    }
    for (unsigned code = 0; code < 256; ++code) {
        for (unsigned k = 0; k < 16; ++k)
            t.encode[code][k] = kZeroByte;
        unsigned at = 0;
        for (unsigned lane = 0; lane < 4; ++lane) {
            unsigned length = (code >> (2 * lane) & 3) + 1;
            for (unsigned k = 0; k < length && at < 16; ++k)
                t.encode[code][at++] = static_cast<std::uint8_t>(4 * lane + k);
        }
    }
    for (unsigned wide = 0; wide < 256; ++wide) {
        unsigned at = 0;
        for (unsigned k = 0; k < 16; ++k)
            t.narrow[wide][k] = kZeroByte;
        for (unsigned lane = 0; lane < 8; ++lane) {
            t.narrow[wide][at++] = static_cast<std::uint8_t>(2 * lane);
            if (wide >> lane & 1)
                t.narrow[wide][at++] = static_cast<std::uint8_t>(2 * lane + 1);
        }
        t.narrowWide[wide] = static_cast<std::uint8_t>(at - 8);
    }
    return t;
}

} // namespace utf
} // namespace REDudi
