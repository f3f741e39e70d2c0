#include "logging/win32/log_region.h"

#include <cstring>

namespace REDudi {

WIN32_LogMap* OpenLogRegion(const char* name, SECURITY_ATTRIBUTES* security, HANDLE& mapping) {
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0,
                                 logmap::kRegionSize, name);
    if (mapping == nullptr)
        return nullptr;
    bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    auto* view = static_cast<WIN32_LogMap*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, logmap::kRegionSize));
    if (view == nullptr) {
        CloseIfOpen(mapping);
        return nullptr;
    }
    if (created) {
        std::memset(view, 0, logmap::kRegionSize);
        view->size = logmap::kRegionSize;
        view->capacity = logmap::kCapacity;
    }
    return view;
}

void CloseLogRegion(WIN32_LogMap*& view, HANDLE& mapping) {
    if (view != nullptr) {
        UnmapViewOfFile(view);
        view = nullptr;
    }
    CloseIfOpen(mapping);
}

void CloseIfOpen(HANDLE& handle) {
    if (handle != nullptr) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

} // namespace REDudi
