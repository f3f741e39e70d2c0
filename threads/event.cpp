#include <REDudi/threads.h>

namespace REDudi {

Event::Event() : deadLockTimeout_(0xFFFFFFFF) {}

Event::~Event() {}

void Event::SetDeadLockTimeOut(unsigned int timeout) {
    deadLockTimeout_ = timeout;
}

Guard::Guard() : deadLockTimeout_(0xFFFFFFFF) {}

Guard::~Guard() {}

void Guard::SetDeadLockTimeOut(unsigned int timeout) {
    deadLockTimeout_ = timeout;
}

} // namespace REDudi
