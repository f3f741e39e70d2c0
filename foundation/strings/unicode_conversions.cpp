// The portable conversions: ASCII and the UTF forms. The UTF conversions
// empty their output first and leave it empty on failure; the ASCII ones
// leave it untouched on failure.
#include <REDudi/strings.h>

#include "foundation/strings/utf_codec.h"

#include <cstdint>

namespace REDudi {

namespace {

static_assert(sizeof(unsigned short) == sizeof(std::uint16_t), "16-bit units");
static_assert(sizeof(unsigned int) == sizeof(std::uint32_t), "32-bit units");

const std::uint16_t* Units16(const UnicodeStdString& s) {
    return reinterpret_cast<const std::uint16_t*>(s.data());
}

// Sizes `out` to at least `capacity`, runs `convert` on its storage and cuts
// it to what was written, or empties it when the conversion fails. What `out`
// held is overwritten rather than cleared first: resizing fills the new
// units with zeros, which a string used again for the next conversion then
// need not pay for again.
template <class Out, class Convert>
bool ConvertInto(Out& out, std::size_t capacity, Convert convert) {
    if (out.size() < capacity)
        out.resize(capacity);
    std::size_t written = convert(&out[0]);
    if (written == utf::kUtfError) {
        out.clear();
        return false;
    }
    out.resize(written);
    return true;
}

} // namespace

bool ConvertUnicodeToASCII(const UnicodeStdString& in, std::string& out) {
    std::string converted(in.size(), '\0');
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] > 127)
            return false;
        converted[i] = static_cast<char>(in[i]);
    }
    out.swap(converted);
    return true;
}

bool ConvertASCIIToUnicode(const std::string& in, UnicodeStdString& out) {
    UnicodeStdString converted(in.size(), 0);
    for (std::size_t i = 0; i < in.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(in[i]);
        if (byte > 127)
            return false;
        converted[i] = byte;
    }
    out.swap(converted);
    return true;
}

bool ConvertUnicodeToUTF8(const UnicodeStdString& in, Utf8StdString& out) {
    return ConvertInto(out, in.size() * 3 + 1, [&](unsigned char* buffer) {
        return utf::Utf16ToUtf8(Units16(in), in.size(), buffer);
    });
}

bool ConvertUTF8ToUnicode(const Utf8StdString& in, UnicodeStdString& out) {
    return ConvertInto(out, in.size() + 1, [&](unsigned short* buffer) {
        return utf::Utf8ToUtf16(in.data(), in.size(), reinterpret_cast<std::uint16_t*>(buffer));
    });
}

bool ConvertUnicodeToUTF32(const UnicodeStdString& in, Utf32StdString& out) {
    return ConvertInto(out, in.size(), [&](unsigned int* buffer) {
        return utf::Utf16ToUtf32(Units16(in), in.size(), reinterpret_cast<std::uint32_t*>(buffer));
    });
}

bool ConvertUTF32ToUnicode(const Utf32StdString& in, UnicodeStdString& out) {
    return ConvertInto(out, in.size() * 2, [&](unsigned short* buffer) {
        return utf::Utf32ToUtf16(reinterpret_cast<const std::uint32_t*>(in.data()), in.size(),
                                 reinterpret_cast<std::uint16_t*>(buffer));
    });
}

} // namespace REDudi
