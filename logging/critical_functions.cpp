#include <REDudi/logging.h>

#include "foundation/platform/load_order.h"
#include "logging/critical_text.h"
#include "logging/trace_text.h"

namespace REDudi {

namespace {

// Built while the library loads, before the default trace logger (it has
// its own mirror and does not use that one), and gone when it unloads.
ADefaultCriticalLogger
    defaultCriticalLogger REDUDI_LOAD_ORDER(REDUDI_ORDER_DEFAULT_CRITICAL_LOGGER);

// Formats the caller's text once, then hands the finished text on under a
// format that only inserts it.
template <class Pass>
void CritLogDefault(const char* format, va_list args, Pass pass) {
    if (format == nullptr || !defaultCriticalLogger.IsValid())
        return;
    CriticalText text;
    text.Format(format, args);
    pass(text.c_str());
}

} // namespace

void CritLogTrace(int code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    CritLogDefault(format, args, [&](const char* text) {
        defaultCriticalLogger.Trace(code, kFinishedText, text);
    });
    va_end(args);
}

void CritLogTrace(int code, unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    CritLogDefault(format, args, [&](const char* text) {
        defaultCriticalLogger.Trace(code, level, kFinishedText, text);
    });
    va_end(args);
}

void CritLogClassTrace(int code, const char* subClass, const char* format, ...) {
    va_list args;
    va_start(args, format);
    CritLogDefault(format, args, [&](const char* text) {
        defaultCriticalLogger.ClassTrace(code, subClass, kFinishedText, text);
    });
    va_end(args);
}

void CritLogClassTrace(int code, const char* subClass, unsigned char level, const char* format,
                       ...) {
    va_list args;
    va_start(args, format);
    CritLogDefault(format, args, [&](const char* text) {
        defaultCriticalLogger.ClassTrace(code, subClass, level, kFinishedText, text);
    });
    va_end(args);
}

void CritLogSetClass(PString className) {
    defaultCriticalLogger.SetClass(className);
}

void CritLogSetAgent(PString agent) {
    defaultCriticalLogger.SetAgent(agent);
}

void CritLogSetModule(PString module) {
    defaultCriticalLogger.SetModule(module);
}

void CritLogSetDefaultSubClass(PString subClass) {
    defaultCriticalLogger.SetDefaultSubClass(subClass);
}

void CritLogSetDefaultLevel(unsigned char level) {
    defaultCriticalLogger.SetDefaultLevel(level);
}

} // namespace REDudi
