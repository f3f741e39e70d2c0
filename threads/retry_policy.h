// When a retrying scoped lock gives up and lets ThreadTerminateException pass.
#pragma once

namespace REDudi {

class Thread;

// True when retrying a wait made on behalf of `thread` can never succeed:
// the thread is being terminated (its terminate event stays signalled, so
// every further attempt would throw again at once) or it is not a thread
// whose waits can be interrupted at all. False for a null thread.
bool StopRetrying(Thread* thread);

} // namespace REDudi
