// The UTF-8 <-> UTF-16 transcoders live in utf_block_loops.h, compiled
// here once for the baseline instruction set (SSE2 on x86-64, plain C++
// elsewhere) and, on x86-64, once more with the byte shuffles of SSSE3,
// which are chosen at run time when the processor has them. The UTF-32
// conversions go a character at a time.
#include "foundation/strings/utf_codec.h"

#include <cstring>

#if defined(__SSE2__) && !defined(REDUDI_UTF_PORTABLE)
#define REDUDI_UTF_SSE2 1
#include <emmintrin.h>
// Test builds define REDUDI_UTF_NO_SSSE3 to run the SSE2 blocks here too.
#if (defined(__GNUC__) || defined(__clang__)) && !defined(REDUDI_UTF_NO_SSSE3)
#define REDUDI_UTF_SSSE3 1
#include <tmmintrin.h>

#include "foundation/strings/utf_shuffle_tables.h"
#endif
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

} // namespace

namespace baseline {
namespace {
#define REDUDI_UTF_TARGET
#define REDUDI_UTF_SHUFFLE 0
#include "foundation/strings/utf_block_loops.h"
#undef REDUDI_UTF_SHUFFLE
#undef REDUDI_UTF_TARGET
} // namespace
} // namespace baseline

#if defined(REDUDI_UTF_SSSE3)
namespace ssse3 {
namespace {
#define REDUDI_UTF_TARGET __attribute__((target("ssse3")))
#define REDUDI_UTF_SHUFFLE 1
#include "foundation/strings/utf_block_loops.h"
#undef REDUDI_UTF_SHUFFLE
#undef REDUDI_UTF_TARGET
} // namespace
} // namespace ssse3

namespace {
// Asked once; the answer does not change while the process runs.
bool HasSsse3() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}
} // namespace
#endif

std::size_t Utf8ToUtf16(const std::uint8_t* in, std::size_t length, std::uint16_t* out) {
#if defined(REDUDI_UTF_SSSE3)
    if (HasSsse3())
        return ssse3::Utf8ToUtf16(in, length, out);
#endif
    return baseline::Utf8ToUtf16(in, length, out);
}

std::size_t Utf16ToUtf8(const std::uint16_t* in, std::size_t length, std::uint8_t* out) {
#if defined(REDUDI_UTF_SSSE3)
    if (HasSsse3())
        return ssse3::Utf16ToUtf8(in, length, out);
#endif
    return baseline::Utf16ToUtf8(in, length, out);
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
