// The fixed-size text buffer in which every trace entry point formats its
// caller's message, on the caller's stack.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace REDudi {

// At most 511 characters and the terminating NUL, the size of a record's
// message field.
class TraceText {
public:
    static constexpr unsigned kSize = 512;

    // Formats once; a text longer than the buffer is cut, never unterminated.
    void Format(const char* format, va_list args) {
        if (format == nullptr) {
            text_[0] = '\0';
            return;
        }
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

// The format under which a finished text is handed to the next layer: it
// only inserts the text, so a percent sign in it is stored as it stands and
// the caller's own format is applied exactly once. Passing finished text
// this way keeps every layer on the public variadic interface of `Logger`,
// whose slot order is fixed, instead of adding an unformatted entry to it.
constexpr char kFinishedText[] = "%s";

} // namespace REDudi
