#include "system/os_version_rules.h"

#include <cstdio>

namespace REDudi {

SystemInfo::e_OSType OSTypeOf(unsigned long platformId, unsigned long major, unsigned long minor) {
    if (platformId == kPlatformWindows9x) {
        if (minor == 0)
            return SystemInfo::OS_WIN95;
        if (minor <= 10)
            return SystemInfo::OS_WIN98;
        return SystemInfo::OS_WINME;
    }
    if (platformId != kPlatformWindowsNT)
        return SystemInfo::OS_UNKNOWN;
    if (major <= 4)
        return SystemInfo::OS_WINNT4;
    if (minor >= 1)
        return SystemInfo::OS_WINXP;
    // x.0: only 5.0 is known; later systems numbered x.0 are not.
    return major == 5 ? SystemInfo::OS_WIN2000 : SystemInfo::OS_UNKNOWN;
}

bool ServicePackOf(unsigned long platformId, const char* text, unsigned int& servicePack) {
    int pack = 0;
    if (platformId != kPlatformWindowsNT || text == nullptr ||
        std::sscanf(text, "Service Pack %d", &pack) != 1)
        return false;
    servicePack = static_cast<unsigned int>(pack);
    return true;
}

unsigned int MegabytesOf(unsigned long long bytes) {
    return static_cast<unsigned int>(bytes >> 20);
}

unsigned long DriveMegabytes(unsigned long sectorsPerCluster, unsigned long bytesPerSector,
                             unsigned long totalClusters) {
    unsigned long long bytes =
        static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector * totalClusters;
    return static_cast<unsigned long>(bytes >> 20);
}

} // namespace REDudi
