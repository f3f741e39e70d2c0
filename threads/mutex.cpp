#include <REDudi/threads.h>

namespace REDudi {

Mutex::Mutex() : deadLockTimeout_(0xFFFFFFFF) {}

Mutex::~Mutex() {}

void Mutex::SetDeadLockTimeout(unsigned int timeout) {
    deadLockTimeout_ = timeout;
}

} // namespace REDudi
