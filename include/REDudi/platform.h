// The platform frame: the exception that unwinds terminated threads, the
// memory-accessibility probes, guarded deletion, and the security and naming
// support of kernel objects shared between processes.
#pragma once

#include <REDudi/export.h>
#include <REDudi/strings.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace REDudi {

// Thrown by every library wait whose thread is being terminated, whose
// deadlock timeout ran out, or whose object is unusable. Carries no data.
class ThreadTerminateException {};

// True when the process may not access the memory. Each wraps the Win32
// probe of the same name; elsewhere they reduce to a null test.
REDUDI_API bool QV_IsBadCodePtr(void* p);
REDUDI_API bool QV_IsBadReadPtr(const void* p, unsigned int size);
REDUDI_API bool QV_IsBadWritePtr(void* p, unsigned int size);
REDUDI_API bool QV_IsBadStringPtr(const char* p, unsigned int length);

// Deletes the object behind `pointer` unless the pointer is null or its
// memory is inaccessible, and always leaves the pointer null. Returns false
// when the object could not be deleted cleanly. Never throws.
template <class T>
bool SafeDelete(T*& pointer) noexcept {
    if (pointer == nullptr)
        return true;
    try {
        if (QV_IsBadCodePtr(const_cast<void*>(static_cast<const void*>(pointer)))) {
            pointer = nullptr;
            return false;
        }
        delete pointer;
    } catch (...) {
        pointer = nullptr;
        return false;
    }
    pointer = nullptr;
    return true;
}

#ifdef _WIN32
// All-access security and machine-wide names for kernel objects. The
// attributes handed out point into this object, so it must outlive their use.
class REDUDI_API AdvancedPlatformSupport {
public:
    AdvancedPlatformSupport();
    AdvancedPlatformSupport(const AdvancedPlatformSupport& other);
    ~AdvancedPlatformSupport();
    AdvancedPlatformSupport& operator=(const AdvancedPlatformSupport& other);

    // Attributes with a null DACL, built on first use; null on systems older
    // than Windows 2000 or when the descriptor cannot be built.
    SECURITY_ATTRIBUTES* GetAllAccessSecurityAttributes();

    // `name` with the "Global\" prefix, so that all sessions share the object.
    static PString MakeKernelObjectNameSystemGlobal(const PString& name);

protected:
    static bool IsWin2KOrLater();

private:
    SECURITY_ATTRIBUTES attributes_;
    SECURITY_DESCRIPTOR descriptor_;
};
#endif

} // namespace REDudi
