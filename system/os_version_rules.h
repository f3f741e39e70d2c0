// How the version that Windows reports maps to the operating systems the
// library names, and how its service-pack text is read.
#pragma once

#include <REDudi/system.h>

namespace REDudi {

// The platform identifiers of the version record.
const unsigned long kPlatformWindows9x = 1;
const unsigned long kPlatformWindowsNT = 2;

// The system for a successful version query.
SystemInfo::e_OSType OSTypeOf(unsigned long platformId, unsigned long major, unsigned long minor);

// The number in a "Service Pack %d" text of an NT system; false for other
// platforms and for text not of that form (an empty text, for one).
bool ServicePackOf(unsigned long platformId, const char* text, unsigned int& servicePack);

// Whole MiB of `bytes`.
unsigned int MegabytesOf(unsigned long long bytes);

// The capacity of a drive in whole MiB; the product is taken in 64 bits.
unsigned long DriveMegabytes(unsigned long sectorsPerCluster, unsigned long bytesPerSector,
                             unsigned long totalClusters);

} // namespace REDudi
