// The fixed-size text buffer in which every trace entry point formats its
// caller's message, on the caller's stack.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace REDudi {

// A buffer on the caller's stack that a caller's message is formatted into
// once: at most Size - 1 characters and the terminating NUL, cut, never
// unterminated. `kZeroed` clears the whole buffer first, for texts copied
// whole into a record, so that no byte of an older text survives behind the
// terminator.
template <unsigned Size, bool kZeroed = false>
class FormattedText {
public:
    static constexpr unsigned kSize = Size;

    void Format(const char* format, va_list args) {
        if (kZeroed)
            std::memset(text_, 0, kSize);
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

// The size of a trace record's message field.
using TraceText = FormattedText<512>;

// The format under which a finished text is handed to the next layer: it
// only inserts the text, so a percent sign in it is stored as it stands and
// the caller's own format is applied exactly once. Passing finished text
// this way keeps every layer on the public variadic interface of `Logger`,
// whose slot order is fixed, instead of adding an unformatted entry to it.
constexpr char kFinishedText[] = "%s";

} // namespace REDudi
