#include <REDudi/platform.h>

#include <cstring>

namespace REDudi {

AdvancedPlatformSupport::AdvancedPlatformSupport() {
    std::memset(&attributes_, 0, sizeof attributes_);
    std::memset(&descriptor_, 0, sizeof descriptor_);
}

// A copy starts as not built: pointing at the source's descriptor would
// dangle once the source is gone, and rebuilding on first use is cheap.
AdvancedPlatformSupport::AdvancedPlatformSupport(const AdvancedPlatformSupport&)
    : AdvancedPlatformSupport() {}

AdvancedPlatformSupport::~AdvancedPlatformSupport() = default;

AdvancedPlatformSupport& AdvancedPlatformSupport::operator=(const AdvancedPlatformSupport& other) {
    if (this != &other) {
        std::memset(&attributes_, 0, sizeof attributes_);
        std::memset(&descriptor_, 0, sizeof descriptor_);
    }
    return *this;
}

SECURITY_ATTRIBUTES* AdvancedPlatformSupport::GetAllAccessSecurityAttributes() {
    if (!IsWin2KOrLater())
        return nullptr;
    if (attributes_.nLength != 0)
        return &attributes_;
    // A present but null DACL grants every access to everyone.
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION))
        return nullptr;
    if (!SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE))
        return nullptr;
    attributes_.bInheritHandle = FALSE;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.nLength = sizeof(SECURITY_ATTRIBUTES);
    return &attributes_;
}

PString AdvancedPlatformSupport::MakeKernelObjectNameSystemGlobal(const PString& name) {
    PString result(name);
    if (!name.empty() && IsWin2KOrLater())
        result.Prepend(PString("Global\\"));
    return result;
}

bool AdvancedPlatformSupport::IsWin2KOrLater() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

} // namespace REDudi
