// The terminate event that a wait made on behalf of a thread also watches.
#pragma once

#include <windows.h>

namespace REDudi {

class Thread;

// The terminate event of `thread`, which must not be null. Throws
// ThreadTerminateException when `thread` is not a Windows thread object.
HANDLE TerminateHandleOf(Thread* thread);

} // namespace REDudi
