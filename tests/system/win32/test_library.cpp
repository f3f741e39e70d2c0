// A tiny test library; built with FAIL_INITIALISATION, its entry point refuses to load.
#include <windows.h>

extern "C" __declspec(dllexport) int RedudiTestAnswer() {
    return 42;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
#ifdef FAIL_INITIALISATION
    return reason != DLL_PROCESS_ATTACH;
#endif
    return TRUE;
}
