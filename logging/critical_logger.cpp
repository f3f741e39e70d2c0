#include <REDudi/logging.h>

namespace REDudi {

CriticalLogger::~CriticalLogger() = default;

CriticalLogReader::~CriticalLogReader() = default;

} // namespace REDudi
