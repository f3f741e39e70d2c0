#include <REDudi/logging.h>

namespace REDudi {

// The shared critical log exists only on Windows; elsewhere every facade is
// invalid and there is nothing to follow.
CriticalLogger* CriticalLogger::GetNewLogger() {
    return nullptr;
}

CriticalLogReader* CriticalLogReader::GetNewCriticalLogReader() {
    return nullptr;
}

} // namespace REDudi
