#include <REDudi/logging.h>

#include "foundation/platform/facade.h"
#include "logging/trace_text.h"

namespace REDudi {

namespace {

// The writer is tested for null and for its own validity only; that test
// swallows every exception, while the trace and setter calls let theirs pass.
using Validity = facade::Shielded<facade::ImplementationTest>;
using Forward = facade::Forwarder<Validity, facade::Open>;
using Destruction = facade::DeleteDirect;

// Formats the caller's text once and hands the finished text to the writer
// through `pass`; nothing is formatted when there is no valid writer.
template <class Pass>
void Forward_Trace(Logger* logger, const char* format, va_list args, Pass pass) {
    if (!Validity::Test(logger))
        return;
    TraceText text;
    text.Format(format, args);
    facade::Open::Run([&] { pass(logger, text.c_str()); });
}

} // namespace

ALogger::ALogger() : logger_(Logger::GetNewLogger()) {}

ALogger::ALogger(const ALogger& other) : logger_(nullptr) {
    facade::ShareFrom<Destruction>(logger_, other.logger_);
}

ALogger& ALogger::operator=(const ALogger& other) {
    facade::ShareFrom<Destruction>(logger_, other.logger_);
    return *this;
}

ALogger::~ALogger() {
    facade::ReleaseShared<Destruction>(logger_);
}

bool ALogger::IsValid() {
    return Validity::Test(logger_);
}

void ALogger::Trace(unsigned char level, unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args, [&](Logger* l, const char* text) {
        l->Trace(level, flags, kFinishedText, text);
    });
    va_end(args);
}

void ALogger::Trace(unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args,
                  [&](Logger* l, const char* text) { l->Trace(level, kFinishedText, text); });
    va_end(args);
}

void ALogger::Trace(unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args,
                  [&](Logger* l, const char* text) { l->Trace(flags, kFinishedText, text); });
    va_end(args);
}

void ALogger::Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args,
                  [&](Logger* l, const char* text) { l->Trace(kFinishedText, text); });
    va_end(args);
}

void ALogger::ClassTrace(const char* subClass, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args, [&](Logger* l, const char* text) {
        l->ClassTrace(subClass, kFinishedText, text);
    });
    va_end(args);
}

void ALogger::ClassTrace(const char* subClass, unsigned char level, unsigned int flags,
                         const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args, [&](Logger* l, const char* text) {
        l->ClassTrace(subClass, level, flags, kFinishedText, text);
    });
    va_end(args);
}

void ALogger::ClassTrace(const char* subClass, unsigned char level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args, [&](Logger* l, const char* text) {
        l->ClassTrace(subClass, level, kFinishedText, text);
    });
    va_end(args);
}

void ALogger::ClassTrace(const char* subClass, unsigned int flags, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Forward_Trace(logger_, format, args, [&](Logger* l, const char* text) {
        l->ClassTrace(subClass, flags, kFinishedText, text);
    });
    va_end(args);
}

void ALogger::SetClass(PString className) {
    Forward::Call(logger_, [&](Logger* l) { l->SetClass(className); });
}

void ALogger::SetDefaultSubClass(PString subClass) {
    Forward::Call(logger_, [&](Logger* l) { l->SetDefaultSubClass(subClass); });
}

void ALogger::SetDefaultLevel(unsigned char level) {
    Forward::Call(logger_, [&](Logger* l) { l->SetDefaultLevel(level); });
}

void ALogger::SetDefaultFlags(unsigned int flags) {
    Forward::Call(logger_, [&](Logger* l) { l->SetDefaultFlags(flags); });
}

ADefaultLogger::ADefaultLogger() {
    if (IsValid()) {
        SetClass(PString("DEBUG"));
        SetDefaultSubClass(PString("DEBUG"));
    }
}

ADefaultLogger::~ADefaultLogger() = default;

} // namespace REDudi
