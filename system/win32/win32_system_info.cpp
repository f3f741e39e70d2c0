#include "system/win32/win32_system_info.h"

#include "system/os_version_rules.h"
#include "system/win32/cpu.h"

#include <windows.h>

#include <cstdio>

namespace REDudi {

namespace {

// The speed measurement gets this long when the registry has no speed.
const unsigned int kSpeedTimeoutSeconds = 5;

bool QueryVersion(OSVERSIONINFOA& version) {
    version = {};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the classic version record");
    return GetVersionExA(&version) != FALSE;
}

unsigned int DriveType(char drive) {
    char name[8];
    std::snprintf(name, sizeof name, "%c:", drive);
    return GetDriveTypeA(name);
}

} // namespace

SystemInfo* SystemInfo::GetNewSystemInfo() {
    return new WIN32_SystemInfo;
}

SystemInfo::e_OSType WIN32_SystemInfo::GetOS() {
    OSVERSIONINFOA version;
    if (!QueryVersion(version))
        return OS_UNKNOWN;
    return OSTypeOf(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

void WIN32_SystemInfo::GetOSVersion(unsigned int& major, unsigned int& minor,
                                    unsigned int& servicePack) const {
    major = 0xFFFFFFFF;
    minor = 0xFFFFFFFF;
    servicePack = 0;
    OSVERSIONINFOA version;
    if (!QueryVersion(version))
        return;
    major = version.dwMajorVersion;
    minor = version.dwMinorVersion;
    ServicePackOf(version.dwPlatformId, version.szCSDVersion, servicePack);
}

unsigned int WIN32_SystemInfo::GetRAMInMBs() const {
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return MegabytesOf(status.dwTotalPhys) + 1;
}

unsigned int WIN32_SystemInfo::GetMaxDriveSpaceInMBs() const {
    unsigned long largest = 0;
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        if (DriveType(drive) != DRIVE_FIXED)
            continue;
        unsigned long size = AvailableSpace(drive);
        if (size > largest)
            largest = size;
    }
    return largest;
}

unsigned int WIN32_SystemInfo::GetProcessorCount() const {
    DWORD_PTR process = 0, system = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &process, &system);
    unsigned int count = 0;
    for (; system != 0; system &= system - 1)
        ++count;
    return count;
}

// Every index reads the first processor's entry: the processors of one
// machine are alike, and Windows need not describe each of them.
PString WIN32_SystemInfo::GetProcessorModel(unsigned int index) {
    if (index > GetProcessorCount() - 1)
        return PString();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System\\CentralProcessor\\0", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return PString();
    char identifier[260] = {};
    DWORD size = sizeof identifier - 1;
    LONG result = RegQueryValueExA(key, "Identifier", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(identifier), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? PString(identifier) : PString();
}

unsigned int WIN32_SystemInfo::GetProcessorSpeedInMhz(unsigned int index) const {
    if (index > GetProcessorCount() - 1)
        return 0;
    CPU cpu;
    return cpu.GetSpeed(kSpeedTimeoutSeconds, false);
}

bool WIN32_SystemInfo::IsCDROMPresent() const {
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        if (DriveType(drive) == DRIVE_CDROM)
            return true;
    }
    return false;
}

unsigned int WIN32_SystemInfo::GetTickCount() const {
    return ::GetTickCount();
}

PString WIN32_SystemInfo::GetPlatformSpecifier() {
    return PString("win32x86");
}

unsigned int WIN32_SystemInfo::Type(char drive) {
    unsigned int type = DriveType(drive);
    if (type == DRIVE_NO_ROOT_DIR && AvailableSpace(drive) == 0)
        return DRIVE_UNKNOWN;
    return type;
}

unsigned long WIN32_SystemInfo::AvailableSpace(char drive) const {
    char root[8];
    std::snprintf(root, sizeof root, "%c:\\", drive);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
        GetLastError();
        return 0;
    }
    return DriveMegabytes(sectorsPerCluster, bytesPerSector, totalClusters);
}

} // namespace REDudi
