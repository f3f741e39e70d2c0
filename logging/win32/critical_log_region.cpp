#include "logging/win32/critical_log_region.h"

#include "logging/win32/log_region.h"

#include <REDudi/platform.h>

#include <cstring>

namespace REDudi {

namespace {

// A section of the same name but smaller than the region cannot be mapped
// at the region's size: MapViewOfFile refuses it.
WIN32_CriticalLogMap* MapRegion(HANDLE& mapping) {
    auto* view = static_cast<WIN32_CriticalLogMap*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, critmap::kRegionSize));
    if (view == nullptr)
        CloseIfOpen(mapping);
    return view;
}

} // namespace

PString CriticalObjectName(const char* name) {
    return AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(PString(name));
}

bool IsCriticalRegion(const WIN32_CriticalLogMap* view) {
    return view != nullptr && view->size == critmap::kRegionSize;
}

WIN32_CriticalLogMap* OpenCriticalRegion(const char* globalName, SECURITY_ATTRIBUTES* security,
                                         std::uint32_t capacity, HANDLE& mapping) {
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0,
                                 critmap::kRegionSize, globalName);
    if (mapping == nullptr)
        return nullptr;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    WIN32_CriticalLogMap* view = MapRegion(mapping);
    if (view == nullptr)
        return nullptr;
    if (created) {
        std::memset(view, 0, critmap::kRegionSize);
        view->size = critmap::kRegionSize;
        view->capacity = capacity;
    } else if (!IsCriticalRegion(view)) {
        CloseCriticalRegion(view, mapping);
    }
    return view;
}

WIN32_CriticalLogMap* OpenExistingCriticalRegion(const char* globalName, HANDLE& mapping) {
    mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, globalName);
    if (mapping == nullptr)
        return nullptr;
    WIN32_CriticalLogMap* view = MapRegion(mapping);
    if (view != nullptr && !IsCriticalRegion(view))
        CloseCriticalRegion(view, mapping);
    return view;
}

void CloseCriticalRegion(WIN32_CriticalLogMap*& view, HANDLE& mapping) {
    if (view != nullptr) {
        UnmapViewOfFile(view);
        view = nullptr;
    }
    CloseIfOpen(mapping);
}

} // namespace REDudi
