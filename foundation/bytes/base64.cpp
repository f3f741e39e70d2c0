// Table-driven Base64. Encoding looks up twelve bits at a time (two output
// characters per lookup). Decoding ORs together four per-position tables
// whose entries already hold each character's bits shifted into place, so a
// group of four characters costs four loads; the '=' that ends decoding
// carries a marker bit that sends the group to the exact slow path.
#include <REDudi/bytes.h>

#include "foundation/platform/load_order.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace REDudi {

namespace {

constexpr char kAlphabetText[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kNoValue = 0xFF;
constexpr std::uint32_t kFillMarker = 1u << 24;

// The library-wide alphabet; a character's value is its position in it.
const PString kBase64Alphabet REDUDI_LOAD_ORDER(REDUDI_ORDER_BASE64_ALPHABET)(kAlphabetText);

struct Tables {
    std::array<std::uint8_t, 256> value{};
    std::array<std::uint16_t, 4096> pair{}; // two characters, first in the low byte
    std::array<std::array<std::uint32_t, 256>, 4> bits{};
};

// The tables follow from the same text as the alphabet string and are
// computed by the compiler, so they need no start-up work of their own.
constexpr Tables BuildTables() {
    Tables t{};
    for (int c = 0; c < 256; ++c)
        t.value[c] = kNoValue;
    for (int i = 0; i < 64; ++i)
        t.value[static_cast<unsigned char>(kAlphabetText[i])] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 4096; ++i)
        t.pair[i] =
            static_cast<std::uint16_t>(static_cast<unsigned char>(kAlphabetText[i >> 6]) |
                                       static_cast<unsigned char>(kAlphabetText[i & 63]) << 8);
    for (int c = 0; c < 256; ++c) {
        // Every value, 0xFF included, contributes under 8-bit arithmetic:
        // b0 = c0 << 2 | (c1 >> 4 & 3), b1 = c1 << 4 | (c2 >> 2 & 15),
        // b2 = c2 << 6 | c3.
        std::uint32_t v = t.value[c];
        t.bits[0][c] = (v << 2) & 0xFF;
        t.bits[1][c] = ((v >> 4) & 3) | (((v << 4) & 0xFF) << 8);
        t.bits[2][c] = (((v >> 2) & 15) << 8) | (((v << 6) & 0xFF) << 16);
        t.bits[3][c] = v << 16;
    }
    t.bits[2]['='] |= kFillMarker;
    t.bits[3]['='] |= kFillMarker;
    return t;
}

constexpr Tables kTables = BuildTables();

// Whole-word stores where the byte order allows them; the portable form
// otherwise.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
void StoreFour(char* p, std::uint16_t first, std::uint16_t second) {
    std::uint32_t word = first | std::uint32_t(second) << 16;
    std::memcpy(p, &word, 4);
}
void StoreWord(unsigned char* p, std::uint32_t word) {
    std::memcpy(p, &word, 4);
}
#else
void StoreFour(char* p, std::uint16_t first, std::uint16_t second) {
    p[0] = static_cast<char>(first & 0xFF);
    p[1] = static_cast<char>(first >> 8);
    p[2] = static_cast<char>(second & 0xFF);
    p[3] = static_cast<char>(second >> 8);
}
void StoreWord(unsigned char* p, std::uint32_t word) {
    p[0] = static_cast<unsigned char>(word);
    p[1] = static_cast<unsigned char>(word >> 8);
    p[2] = static_cast<unsigned char>(word >> 16);
    p[3] = static_cast<unsigned char>(word >> 24);
}
#endif

void EncodeBytes(const unsigned char* in, std::size_t length, PString& out) {
    if (length == 0)
        return;
    const std::size_t start = out.size();
    out.resize(start + (length + 2) / 3 * 4);
    char* p = &out[start];
    std::size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        std::uint32_t group =
            std::uint32_t(in[i]) << 16 | std::uint32_t(in[i + 1]) << 8 | in[i + 2];
        StoreFour(p, kTables.pair[group >> 12], kTables.pair[group & 0xFFF]);
        p += 4;
    }
    if (i < length) {
        std::uint32_t b0 = in[i];
        bool hasB1 = i + 1 < length;
        std::uint32_t b1 = hasB1 ? in[i + 1] : 0;
        p[0] = kBase64Alphabet[b0 >> 2];
        p[1] = kBase64Alphabet[((b0 & 3) << 4) | (b1 >> 4)];
        p[2] = hasB1 ? kBase64Alphabet[(b1 & 15) << 2] : '=';
        p[3] = '=';
    }
}

// Decodes one group exactly as specified; returns false when a '=' ended it.
bool DecodeGroup(const unsigned char* in, std::size_t remaining, std::string& out) {
    std::uint8_t c0 = kTables.value[in[0]];
    std::uint8_t c1 = remaining > 1 ? kTables.value[in[1]] : kNoValue;
    out.push_back(static_cast<char>((c0 << 2) | ((c1 >> 4) & 3)));
    if (remaining < 3)
        return true;
    if (in[2] == '=')
        return false;
    std::uint8_t c2 = kTables.value[in[2]];
    out.push_back(static_cast<char>((c1 << 4) | ((c2 >> 2) & 15)));
    if (remaining < 4)
        return true;
    if (in[3] == '=')
        return false;
    std::uint8_t c3 = kTables.value[in[3]];
    out.push_back(static_cast<char>((c2 << 6) | c3));
    return true;
}

void DecodeText(const unsigned char* in, std::size_t length, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + length / 4 * 3 + 1);
    unsigned char* p = reinterpret_cast<unsigned char*>(&out[start]);
    std::size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        std::uint32_t word = kTables.bits[0][in[i]] | kTables.bits[1][in[i + 1]] |
                             kTables.bits[2][in[i + 2]] | kTables.bits[3][in[i + 3]];
        if (word & kFillMarker)
            break;
        // Writes a fourth byte too: the next group or the spare byte at the
        // end of the output overwrites it.
        StoreWord(p, word);
        p += 3;
    }
    out.resize(static_cast<std::size_t>(p - reinterpret_cast<unsigned char*>(&out[0])));
    for (; i < length; i += 4) {
        if (!DecodeGroup(in + i, length - i, out))
            return;
    }
}

} // namespace

ABase64::~ABase64() {}

bool ABase64::Encode(const PString& in, PString& out) {
    try {
        EncodeBytes(reinterpret_cast<const unsigned char*>(in.data()), in.size(), out);
        return true;
    } catch (...) {
        return false;
    }
}

bool ABase64::Encode(std::vector<unsigned char>& in, PString& out) {
    try {
        PString bytes(in.begin(), in.end());
        return Encode(bytes, out);
    } catch (...) {
        return false;
    }
}

bool ABase64::Decode(const PString& in, PString& out) {
    try {
        DecodeText(reinterpret_cast<const unsigned char*>(in.data()), in.size(), out);
        return true;
    } catch (...) {
        return false;
    }
}

bool ABase64::Decode(PString& in, std::vector<unsigned char>& out) {
    try {
        PString bytes;
        DecodeText(reinterpret_cast<const unsigned char*>(in.data()), in.size(), bytes);
        out.insert(out.end(), bytes.begin(), bytes.end());
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace REDudi
