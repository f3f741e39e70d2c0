#include "system/win32/win32au_module_info.h"

#include "system/version_keys.h"
#include "system/win32/win32au_module_handle.h"

#include <windows.h>

#include <new>
#include <vector>

namespace REDudi {

namespace {

// The Win32 path limit and its terminator.
const DWORD kFileNameCapacity = MAX_PATH + 1;

// The version resource of a file, empty when it has none or cannot be read.
std::vector<char> ReadVersionResource(const char* path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    std::vector<char> resource;
    if (size == 0)
        return resource;
    resource.resize(size);
    if (!GetFileVersionInfoA(path, 0, size, resource.data()))
        resource.clear();
    return resource;
}

// The text under the first of `keys` that the resource holds; false when it
// holds none of them.
bool QueryFirst(std::vector<char>& resource, const char* const* keys, size_t count,
                std::string& text) {
    for (size_t i = 0; i < count; ++i) {
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(resource.data(), keys[i], &value, &length) && value != nullptr) {
            text = static_cast<const char*>(value);
            return true;
        }
    }
    return false;
}

} // namespace

ModuleInfo* ModuleInfo::GetNewModuleInfo() {
    try {
        ModuleInfo* info = new WIN32AU_ModuleInfo;
        if (info->IsValid())
            return info;
        delete info;
    } catch (const std::bad_alloc&) {
    } catch (...) {
    }
    return nullptr;
}

bool WIN32AU_ModuleInfo::GetModulesHandle(const UString& name, ModuleHandle*& handle) {
    handle = nullptr;
    PString narrow;
    if (!name.empty() && !ConvertUnicodeToANSI(name, narrow))
        return false;
    return GetModulesHandle(narrow, handle);
}

bool WIN32AU_ModuleInfo::GetModulesHandle(const PString& name, ModuleHandle*& handle) {
    handle = nullptr;
    HMODULE module = GetModuleHandleA(name.empty() ? nullptr : name.c_str());
    if (module == nullptr)
        return false;
    handle = new (std::nothrow) WIN32AU_ModuleHandle(module);
    return handle != nullptr;
}

bool WIN32AU_ModuleInfo::GetModuleFilename(const ModuleHandle* module, UString& fileName) {
    fileName.clear();
    PString narrow;
    if (!GetModuleFilename(module, narrow))
        return false;
    if (narrow.empty())
        return true;
    return ConvertANSIToUnicode(narrow, fileName);
}

bool WIN32AU_ModuleInfo::GetModuleFilename(const ModuleHandle* module, PString& fileName) {
    fileName.clear();
    HMODULE handle = nullptr;
    if (module != nullptr) {
        auto* windows = dynamic_cast<const WIN32AU_ModuleHandle*>(module);
        if (windows == nullptr)
            return false;
        handle = windows->GetHandle();
    }
    std::vector<char> buffer(kFileNameCapacity, '\0');
    DWORD length = GetModuleFileNameA(handle, buffer.data(), kFileNameCapacity);
    if (length == 0)
        return false;
    fileName.assign(buffer.data(), length < kFileNameCapacity ? length : kFileNameCapacity - 1);
    return true;
}

bool WIN32AU_ModuleInfo::GetModuleFileVersion(const ModuleHandle* module, UString& version) {
    version.clear();
    UString fileName;
    if (!GetModuleFilename(module, fileName) || fileName.empty())
        return false;
    return GetModuleFileVersion(fileName, version);
}

bool WIN32AU_ModuleInfo::GetModuleFileVersion(const ModuleHandle* module, PString& version) {
    version.clear();
    PString fileName;
    if (!GetModuleFilename(module, fileName) || fileName.empty())
        return false;
    return GetModuleFileVersion(fileName, version);
}

bool WIN32AU_ModuleInfo::GetModuleFileVersion(const UString& path, UString& version) {
    // An empty path leaves `version` as it was; any other failure empties it.
    if (path.empty())
        return false;
    version.clear();
    PString narrowPath;
    if (!ConvertUnicodeToANSI(path, narrowPath))
        return false;
    std::vector<char> resource = ReadVersionResource(narrowPath.c_str());
    if (resource.empty())
        return false;
    PString translated = TranslatedFileVersionKey(GetUserDefaultLangID(), GetACP());
    const char* const keys[] = {kNeutralFileVersionKey, kUnicodeFileVersionKey, translated.c_str(),
                                kWesternFileVersionKey};
    std::string text;
    if (!QueryFirst(resource, keys, sizeof keys / sizeof keys[0], text))
        return false;
    if (text.empty()) {
        version.clear();
        return true;
    }
    return ConvertANSIToUnicode(text, version);
}

bool WIN32AU_ModuleInfo::GetModuleFileVersion(const PString& path, PString& version) {
    version.clear();
    if (path.empty())
        return false;
    std::vector<char> resource = ReadVersionResource(path.c_str());
    if (resource.empty())
        return false;
    const char* const keys[] = {kNeutralFileVersionKey, kUnicodeFileVersionKey,
                                kWesternFileVersionKey};
    std::string text;
    if (!QueryFirst(resource, keys, sizeof keys / sizeof keys[0], text))
        return false;
    version = text;
    return true;
}

} // namespace REDudi
