// Strict UTF-8, UTF-16 and UTF-32 transcoding on raw buffers. Each routine
// writes into a caller-sized buffer and returns the number of units written,
// or kUtfError when the input is ill-formed. Buffer sizes the caller must
// provide: UTF-16 to UTF-8 needs 3 bytes per input unit; UTF-8 to UTF-16 one
// unit per input byte; UTF-16 to UTF-32 one unit per input unit; UTF-32 to
// UTF-16 two units per input unit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace REDudi {
namespace utf {

constexpr std::size_t kUtfError = static_cast<std::size_t>(-1);

std::size_t Utf16ToUtf8(const std::uint16_t* in, std::size_t length, std::uint8_t* out);
std::size_t Utf8ToUtf16(const std::uint8_t* in, std::size_t length, std::uint16_t* out);
std::size_t Utf16ToUtf32(const std::uint16_t* in, std::size_t length, std::uint32_t* out);
std::size_t Utf32ToUtf16(const std::uint32_t* in, std::size_t length, std::uint16_t* out);

} // namespace utf
} // namespace REDudi
