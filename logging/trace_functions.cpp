#include <REDudi/logging.h>

#include "foundation/platform/load_order.h"
#include "logging/trace_text.h"

namespace REDudi {

namespace {

// Built while the library loads, after the other static objects it may
// rely on, and gone when the library unloads.
ADefaultLogger defaultLogger REDUDI_LOAD_ORDER(REDUDI_ORDER_DEFAULT_LOGGER);

// Formats the caller's text once, then hands the finished text on under a
// format that only inserts it.
template <class Pass> void TraceDefault(const char* format, va_list args, Pass pass) {
    if (!defaultLogger.IsValid())
        return;
    TraceText text;
    text.Format(format, args);
    pass(text.c_str());
}

} // namespace

void Trace(unsigned char level, unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args,
                 [&](const char* text) { defaultLogger.Trace(level, flags, kFinishedText, text); });
    va_end(args);
}

void Trace(unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args,
                 [&](const char* text) { defaultLogger.Trace(level, kFinishedText, text); });
    va_end(args);
}

void Trace(unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args,
                 [&](const char* text) { defaultLogger.Trace(flags, kFinishedText, text); });
    va_end(args);
}

void Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args, [&](const char* text) { defaultLogger.Trace(kFinishedText, text); });
    va_end(args);
}

void ClassTrace(const char* subClass, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args, [&](const char* text) {
        defaultLogger.ClassTrace(subClass, kFinishedText, text);
    });
    va_end(args);
}

void ClassTrace(const char* subClass, unsigned char level, unsigned int flags, const char* format,
                ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args, [&](const char* text) {
        defaultLogger.ClassTrace(subClass, level, flags, kFinishedText, text);
    });
    va_end(args);
}

void ClassTrace(const char* subClass, unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args, [&](const char* text) {
        defaultLogger.ClassTrace(subClass, level, kFinishedText, text);
    });
    va_end(args);
}

void ClassTrace(const char* subClass, unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceDefault(format, args, [&](const char* text) {
        defaultLogger.ClassTrace(subClass, flags, kFinishedText, text);
    });
    va_end(args);
}

void SetClass(PString className) {
    defaultLogger.SetClass(className);
}

void SetDefaultSubClass(PString subClass) {
    defaultLogger.SetDefaultSubClass(subClass);
}

void SetDefaultLevel(unsigned char level) {
    defaultLogger.SetDefaultLevel(level);
}

void SetDefaultFlags(unsigned int flags) {
    defaultLogger.SetDefaultFlags(flags);
}

} // namespace REDudi
