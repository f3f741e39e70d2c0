// Outside Windows there are no interruptible events or threads: the
// factories yield nothing, and the facades built on them are not valid.
#include <REDudi/threads.h>

namespace REDudi {

Event* Event::GetNewEvent() {
    return nullptr;
}

Guard* Guard::GetNewGuard() {
    return nullptr;
}

Thread* Thread::GetNewThread() {
    return nullptr;
}

} // namespace REDudi
