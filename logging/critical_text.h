// Text handling of the critical log: the 2048-byte buffer every critical
// entry point formats into, and the version text stored in each record.
#pragma once

#include <REDudi/strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace REDudi {

// At most 2047 characters and the terminating NUL, the size of a critical
// record's message field. Cleared before formatting, so no byte of an older
// text survives behind the terminator.
class CriticalText {
public:
    static constexpr unsigned kSize = 2048;

    void Format(const char* format, va_list args) {
        std::memset(text_, 0, kSize);
        if (format == nullptr)
            return;
#ifdef _WIN32
        // _vsnprintf leaves the buffer unterminated when the text does not fit.
        _vsnprintf(text_, kSize - 1, format, args);
#else
        std::vsnprintf(text_, kSize, format, args);
#endif
        text_[kSize - 1] = '\0';
    }

    const char* c_str() const {
        return text_;
    }

private:
    char text_[kSize];
};

// The version field of a critical record made from the program's file
// version as its resource states it ("5, 1, 0, 12"): spaces removed, commas
// turned into full stops, cut to 15 characters. "UNKNOWN" when the lookup
// failed or found nothing.
PString CriticalVersionText(bool found, const PString& fileVersion);

} // namespace REDudi
