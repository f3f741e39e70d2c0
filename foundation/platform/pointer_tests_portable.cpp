// Without the Win32 memory probes the pointer tests reduce to a null test.
#include <REDudi/platform.h>

namespace REDudi {

bool QV_IsBadCodePtr(void* p) {
    return p == nullptr;
}

bool QV_IsBadReadPtr(const void* p, unsigned int size) {
    return p == nullptr && size != 0;
}

bool QV_IsBadWritePtr(void* p, unsigned int size) {
    return p == nullptr && size != 0;
}

bool QV_IsBadStringPtr(const char* p, unsigned int length) {
    return p == nullptr && length != 0;
}

} // namespace REDudi
