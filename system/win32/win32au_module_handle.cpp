#include "system/win32/win32au_module_handle.h"

#include <new>

namespace REDudi {

ModuleHandle* ModuleHandle::GetNewModuleHandle() {
    try {
        ModuleHandle* handle = new WIN32AU_ModuleHandle;
        if (handle->IsValid())
            return handle;
        delete handle;
    } catch (const std::bad_alloc&) {
    } catch (...) {
    }
    return nullptr;
}

WIN32AU_ModuleHandle::WIN32AU_ModuleHandle() : handle_(nullptr) {}

WIN32AU_ModuleHandle::WIN32AU_ModuleHandle(HINSTANCE handle) : handle_(handle) {}

WIN32AU_ModuleHandle::WIN32AU_ModuleHandle(const WIN32AU_ModuleHandle& other)
    : ModuleHandle(other), handle_(other.handle_) {}

// There is no other implementation; should one appear, assigning from it
// leaves this handle as it was and it never compares equal.
ModuleHandle& WIN32AU_ModuleHandle::Assign(const ModuleHandle& other) {
    if (&other == this)
        return *this;
    if (auto* windows = dynamic_cast<const WIN32AU_ModuleHandle*>(&other))
        handle_ = windows->GetHandle();
    return *this;
}

bool WIN32AU_ModuleHandle::IsEqual(const ModuleHandle& other) const {
    auto* windows = dynamic_cast<const WIN32AU_ModuleHandle*>(&other);
    return windows != nullptr && windows->GetHandle() == handle_;
}

WIN32AU_ModuleHandle& WIN32AU_ModuleHandle::Assign(const WIN32AU_ModuleHandle& other) {
    if (&other != this)
        handle_ = other.GetHandle();
    return *this;
}

bool WIN32AU_ModuleHandle::IsEqual(const WIN32AU_ModuleHandle& other) const {
    return other.GetHandle() == handle_;
}

void WIN32AU_ModuleHandle::SetHandle(HINSTANCE handle) {
    handle_ = handle;
}

HINSTANCE WIN32AU_ModuleHandle::GetHandle() const {
    return handle_;
}

WIN32AU_ModuleHandle& WIN32AU_ModuleHandle::operator=(const WIN32AU_ModuleHandle& other) {
    return Assign(other);
}

WIN32AU_ModuleHandle& WIN32AU_ModuleHandle::operator=(HINSTANCE handle) {
    handle_ = handle;
    return *this;
}

} // namespace REDudi
