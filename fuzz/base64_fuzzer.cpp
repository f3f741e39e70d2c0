// Checks the table-driven Base64 against a plain transcription of the
// lenient decoding rules on arbitrary text, and checks that encoding then
// decoding gives back arbitrary bytes.
#include <REDudi/bytes.h>

#include <cstdint>
#include <string>

using namespace REDudi;

namespace {

const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::uint8_t Value(const std::string& in, std::size_t pos) {
    if (pos >= in.size())
        return 0xFF;
    std::size_t found = kAlphabet.find(in[pos]);
    return found == std::string::npos ? 0xFF : static_cast<std::uint8_t>(found);
}

std::string ReferenceDecode(const std::string& in) {
    std::string out;
    for (std::size_t start = 0; start < in.size(); start += 4) {
        std::uint8_t c0 = Value(in, start), c1 = Value(in, start + 1);
        out.push_back(static_cast<char>((c0 << 2) | ((c1 >> 4) & 3)));
        if (start + 2 >= in.size())
            continue;
        if (in[start + 2] == '=')
            break;
        std::uint8_t c2 = Value(in, start + 2);
        out.push_back(static_cast<char>((c1 << 4) | ((c2 >> 2) & 15)));
        if (start + 3 >= in.size())
            continue;
        if (in[start + 3] == '=')
            break;
        std::uint8_t c3 = Value(in, start + 3);
        out.push_back(static_cast<char>((c2 << 6) | c3));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PString input(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size));

    PString decoded = "prefix";
    if (!ABase64::Decode(input, decoded) ||
        static_cast<const std::string&>(decoded) != "prefix" + ReferenceDecode(input))
        __builtin_trap();

    PString encoded;
    if (!ABase64::Encode(input, encoded) || encoded.size() != (size + 2) / 3 * 4)
        __builtin_trap();
    for (char c : encoded)
        if (c != '=' && kAlphabet.find(c) == std::string::npos)
            __builtin_trap();
    std::vector<unsigned char> back;
    if (!ABase64::Decode(encoded, back) || std::string(back.begin(), back.end()) != input)
        __builtin_trap();
    return 0;
}
