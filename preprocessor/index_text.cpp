#include "preprocessor/directive_texts.h"

#include <cstdint>

namespace REDudi {
namespace preprocessing {

namespace {

bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

struct SignedDigits {
    bool negative = false;
    bool overflow = false;
    std::uint64_t magnitude = 0;
};

// Leading space, sign and digits; stops counting once past 2^32.
SignedDigits ReadSignedDigits(std::string_view text) {
    SignedDigits result;
    std::size_t at = 0;
    while (at < text.size() && IsCSpace(text[at]))
        ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        result.negative = text[at++] == '-';
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        result.magnitude = result.magnitude * 10 + static_cast<unsigned>(text[at] - '0');
        if (result.magnitude > 0xFFFFFFFFull) {
            result.overflow = true;
            result.magnitude = 0x100000000ull;
        }
    }
    return result;
}

} // namespace

long ReadIndexLikeAtol(std::string_view text) {
    SignedDigits digits = ReadSignedDigits(text);
    if (digits.negative)
        return digits.magnitude > 0x80000000ull
                   ? INT32_MIN
                   : static_cast<long>(-static_cast<std::int64_t>(digits.magnitude));
    return digits.magnitude > 0x7FFFFFFFull ? INT32_MAX : static_cast<long>(digits.magnitude);
}

unsigned int ReadIndexLikeStrtoul(std::string_view text) {
    SignedDigits digits = ReadSignedDigits(text);
    if (digits.overflow)
        return 0xFFFFFFFFu;
    std::uint32_t value = static_cast<std::uint32_t>(digits.magnitude);
    return digits.negative ? 0u - value : value;
}

} // namespace preprocessing
} // namespace REDudi
