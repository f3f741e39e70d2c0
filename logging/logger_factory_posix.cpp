#include <REDudi/logging.h>

namespace REDudi {

// The shared trace log exists only on Windows; elsewhere every facade is
// invalid and tracing does nothing.
Logger* Logger::GetNewLogger() {
    return nullptr;
}

} // namespace REDudi
