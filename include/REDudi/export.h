// Export macro shared by every public header of the library.
#pragma once

#if defined(_WIN32) && !defined(REDUDI_STATIC)
#if defined(REDUDI_BUILDING_DLL)
#define REDUDI_API __declspec(dllexport)
#else
#define REDUDI_API __declspec(dllimport)
#endif
#else
#define REDUDI_API __attribute__((visibility("default")))
#endif
