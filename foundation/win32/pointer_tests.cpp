#include <REDudi/platform.h>

namespace REDudi {

// The Win32 probes report inaccessible memory with a non-zero result.
bool QV_IsBadCodePtr(void* p) {
    return IsBadCodePtr(reinterpret_cast<FARPROC>(p)) > 0;
}

bool QV_IsBadReadPtr(const void* p, unsigned int size) {
    return IsBadReadPtr(p, size) > 0;
}

bool QV_IsBadWritePtr(void* p, unsigned int size) {
    return IsBadWritePtr(p, size) > 0;
}

bool QV_IsBadStringPtr(const char* p, unsigned int length) {
    return IsBadStringPtrA(p, length) > 0;
}

} // namespace REDudi
