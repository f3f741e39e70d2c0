#include "logging/win32/win32_critical_log_reader.h"
#include "logging/win32/win32_critical_logger.h"

#include <new>

namespace REDudi {

CriticalLogger* CriticalLogger::GetNewLogger() {
    return new (std::nothrow) WIN32_CriticalLogger();
}

CriticalLogReader* CriticalLogReader::GetNewCriticalLogReader() {
    return new (std::nothrow) WIN32_CriticalLogReader();
}

} // namespace REDudi
