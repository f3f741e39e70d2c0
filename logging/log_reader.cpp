#include <REDudi/logging.h>

namespace REDudi {

LogReader::~LogReader() = default;

} // namespace REDudi
