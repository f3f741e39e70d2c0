#include "threads/win32/terminate_handle.h"

#include "threads/retry_policy.h"
#include "threads/win32/win32_thread.h"

namespace REDudi {

HANDLE TerminateHandleOf(Thread* thread) {
    WIN32_Thread* windowsThread = dynamic_cast<WIN32_Thread*>(thread);
    if (windowsThread == nullptr)
        throw ThreadTerminateException();
    return windowsThread->GetTerminateHandle();
}

bool StopRetrying(Thread* thread) {
    if (thread == nullptr)
        return false;
    WIN32_Thread* windowsThread = dynamic_cast<WIN32_Thread*>(thread);
    return windowsThread == nullptr ||
           WaitForSingleObject(windowsThread->GetTerminateHandle(), 0) != WAIT_TIMEOUT;
}

} // namespace REDudi
