// Outside Windows there are no kernel objects to build the lock from: the
// factory yields nothing and the facade is not valid.
#include <REDudi/threads.h>

namespace REDudi {

MRSWMutex::~MRSWMutex() {}

MRSWMutex* MRSWMutex::GetNewMRSWMutex() {
    return nullptr;
}

} // namespace REDudi
