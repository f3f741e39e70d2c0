#include <REDudi/logging.h>

namespace REDudi {

Logger::~Logger() = default;

} // namespace REDudi
