#include <windows.h>

// The library needs no per-thread set-up, so thread notifications are off.
// Everything else happens in the constructors of the library's static objects.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
