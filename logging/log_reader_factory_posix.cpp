#include <REDudi/logging.h>

namespace REDudi {

// The shared trace log exists only on Windows: there is nothing to follow.
LogReader* LogReader::GetNewLogReader() {
    return nullptr;
}

} // namespace REDudi
