// Opening the critical log's region: the same steps for the writer, the
// reader and the tools, so that whichever process comes first creates and
// initialises it and every process refuses a region it does not recognise.
#pragma once

#include "logging/win32/critical_log_map.h"

#include <REDudi/strings.h>

#include <windows.h>

#include <cstdint>

namespace REDudi {

// `name` with the "Global\" prefix that makes kernel objects machine-wide.
PString CriticalObjectName(const char* name);

// Creates or opens the region's mapping and maps it for writing; the caller
// holds the log's mutex. A mapping created by this call is zeroed and given
// its size and `capacity`. Returns the view, or null (with `mapping` closed)
// when it cannot be mapped or is not a critical-log region.
WIN32_CriticalLogMap* OpenCriticalRegion(const char* globalName, SECURITY_ATTRIBUTES* security,
                                         std::uint32_t capacity, HANDLE& mapping);

// Maps an existing region without creating one, for a process that could not
// take the mutex: such a region was initialised by its creator under the
// mutex. Null when there is none or it is not a critical-log region.
WIN32_CriticalLogMap* OpenExistingCriticalRegion(const char* globalName, HANDLE& mapping);

// Whether `view` holds a critical-log region: another program's mapping of
// the same name but another size would be written past its end.
bool IsCriticalRegion(const WIN32_CriticalLogMap* view);

// Unmaps `view` and closes `mapping`, leaving both null.
void CloseCriticalRegion(WIN32_CriticalLogMap*& view, HANDLE& mapping);

} // namespace REDudi
