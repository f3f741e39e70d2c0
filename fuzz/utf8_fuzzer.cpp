// Feeds arbitrary bytes to the UTF-8 decoder and checks it against iconv:
// both accept or both refuse, accepted text decodes to the same UTF-16, and
// re-encoding gives back the input bytes. The same bytes read as UTF-16
// check the encoder and the UTF-32 conversions the same way.
#include <REDudi/strings.h>

#include "fuzz/iconv_reference.h"

#include <cstdint>
#include <cstring>

using namespace REDudi;

namespace {

std::string Bytes(const UnicodeStdString& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

void CheckUtf8(const std::uint8_t* data, std::size_t size) {
    Utf8StdString in(data, data + size);
    UnicodeStdString wide;
    bool ok = ConvertUTF8ToUnicode(in, wide);
    std::string expected;
    bool reference = fuzz::IconvConvert(
        "UTF-16LE", "UTF-8", std::string(reinterpret_cast<const char*>(data), size), expected);
    if (ok != reference)
        __builtin_trap();
    if (!ok) {
        if (!wide.empty())
            __builtin_trap();
        return;
    }
    if (Bytes(wide) != expected)
        __builtin_trap();
    Utf8StdString back;
    if (!ConvertUnicodeToUTF8(wide, back) || back != in)
        __builtin_trap();
}

void CheckUtf16(const std::uint8_t* data, std::size_t size) {
    UnicodeStdString in(size / 2, 0);
    std::memcpy(&in[0], data, in.size() * 2);
    Utf8StdString utf8;
    bool ok = ConvertUnicodeToUTF8(in, utf8);
    std::string expected;
    bool reference = fuzz::IconvConvert("UTF-8", "UTF-16LE", Bytes(in), expected);
    if (ok != reference)
        __builtin_trap();
    Utf32StdString utf32;
    if (ConvertUnicodeToUTF32(in, utf32) != ok)
        __builtin_trap();
    if (!ok)
        return;
    if (std::string(utf8.begin(), utf8.end()) != expected)
        __builtin_trap();
    UnicodeStdString back;
    if (!ConvertUTF8ToUnicode(utf8, back) || back != in)
        __builtin_trap();
    if (!ConvertUTF32ToUnicode(utf32, back) || back != in)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckUtf8(data, size);
    CheckUtf16(data, size);
    return 0;
}
