#include <REDudi/logging.h>

#include "foundation/platform/facade.h"
#include "logging/critical_text.h"
#include "logging/trace_text.h"

namespace REDudi {

namespace {

// The writer is tested for null and for its own validity only; that test
// swallows every exception, while the trace and setter calls let theirs pass.
using Validity = facade::Shielded<facade::ImplementationTest>;
using Forward = facade::Forwarder<Validity, facade::Open>;

// Formats the caller's text once and hands the finished text to the writer
// through `pass`; nothing happens without a valid writer or a format.
template <class Pass>
void FormatAndPass(CriticalLogger* logger, const char* format, va_list args, Pass pass) {
    if (format == nullptr || !Validity::Test(logger))
        return;
    CriticalText text;
    text.Format(format, args);
    pass(logger, text.c_str());
}

} // namespace

ACriticalLogger::ACriticalLogger() : logger_(CriticalLogger::GetNewLogger()) {}

ACriticalLogger::~ACriticalLogger() {
    facade::DeleteDirect::Destroy(logger_);
}

bool ACriticalLogger::IsValid() {
    return Validity::Test(logger_);
}

void ACriticalLogger::Trace(int code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndPass(logger_, format, args, [&](CriticalLogger* l, const char* text) {
        l->Trace(code, kFinishedText, text);
    });
    va_end(args);
}

void ACriticalLogger::Trace(int code, unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndPass(logger_, format, args, [&](CriticalLogger* l, const char* text) {
        l->Trace(code, level, kFinishedText, text);
    });
    va_end(args);
}

void ACriticalLogger::ClassTrace(int code, const char* subClass, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndPass(logger_, format, args, [&](CriticalLogger* l, const char* text) {
        l->ClassTrace(code, subClass, kFinishedText, text);
    });
    va_end(args);
}

void ACriticalLogger::ClassTrace(int code, const char* subClass, unsigned char level,
                                 const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndPass(logger_, format, args, [&](CriticalLogger* l, const char* text) {
        l->ClassTrace(code, subClass, level, kFinishedText, text);
    });
    va_end(args);
}

void ACriticalLogger::SetClass(PString className) {
    Forward::Call(logger_, [&](CriticalLogger* l) { l->SetClass(className); });
}

void ACriticalLogger::SetAgent(PString agent) {
    Forward::Call(logger_, [&](CriticalLogger* l) { l->SetAgent(agent); });
}

void ACriticalLogger::SetModule(PString module) {
    Forward::Call(logger_, [&](CriticalLogger* l) { l->SetModule(module); });
}

void ACriticalLogger::SetDefaultSubClass(PString subClass) {
    Forward::Call(logger_, [&](CriticalLogger* l) { l->SetDefaultSubClass(subClass); });
}

void ACriticalLogger::SetDefaultLevel(unsigned char level) {
    Forward::Call(logger_, [&](CriticalLogger* l) { l->SetDefaultLevel(level); });
}

ADefaultCriticalLogger::ADefaultCriticalLogger() {
    if (IsValid()) {
        const PString unknown("UNKNOWN");
        SetAgent(unknown);
        SetClass(unknown);
        SetModule(unknown);
        SetDefaultSubClass(unknown);
    }
}

ADefaultCriticalLogger::~ADefaultCriticalLogger() = default;

} // namespace REDudi
