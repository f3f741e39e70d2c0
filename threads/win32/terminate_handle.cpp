#include "threads/win32/terminate_handle.h"

#include "threads/retry_policy.h"

#include <REDudi/threads.h>

namespace REDudi {

// No Windows thread class exists yet: every thread argument is refused.
HANDLE TerminateHandleOf(Thread*) {
    throw ThreadTerminateException();
}

bool StopRetrying(Thread* thread) {
    return thread != nullptr;
}

} // namespace REDudi
