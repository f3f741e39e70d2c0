#include <REDudi/strings.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace REDudi {

namespace {

const char kInvalidPosition[] = "invalid string position";

// Case folding of one byte taken as a signed char: negative values (bytes
// 0x80-0xFF) are left as they are, so they order before every ASCII byte.
int FoldCase(char c) {
    int value = static_cast<signed char>(c);
    return value < 0 ? value : std::toupper(value);
}

int CompareFolded(const char* a, std::size_t aLength, const char* b, std::size_t bLength) {
    std::size_t common = std::min(aLength, bLength);
    for (std::size_t i = 0; i < common; ++i) {
        int x = FoldCase(a[i]);
        int y = FoldCase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (aLength == bLength)
        return 0;
    return aLength < bLength ? -1 : 1;
}

} // namespace

PString::~PString() = default;
UString::~UString() = default;

int PString::CompareNoCase(unsigned int pos, unsigned int count, const char* text,
                           unsigned int textLength) const {
    if (pos > size())
        throw std::out_of_range(kInvalidPosition);
    std::size_t length = std::min<std::size_t>(count, size() - pos);
    return CompareFolded(data() + pos, length, text, textLength);
}

int PString::CompareNoCase(unsigned int pos, unsigned int count, const Base& other,
                           unsigned int otherPos, unsigned int otherCount) const {
    if (otherPos > other.size())
        throw std::out_of_range(kInvalidPosition);
    std::size_t otherLength = std::min<std::size_t>(otherCount, other.size() - otherPos);
    return CompareNoCase(pos, count, other.data() + otherPos,
                         static_cast<unsigned int>(otherLength));
}

int PString::CompareNoCase(unsigned int pos, unsigned int count, const Base& other) const {
    return CompareNoCase(pos, count, other.data(), static_cast<unsigned int>(other.size()));
}

int PString::CompareNoCase(const Base& other) const {
    return CompareNoCase(0, static_cast<unsigned int>(size()), other);
}

} // namespace REDudi
