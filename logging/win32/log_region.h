// Opening one set of the trace log's kernel objects: the same steps for the
// writer and the reader, so that whichever process comes first creates and
// initialises the region.
#pragma once

#include "logging/win32/log_map.h"

#include <windows.h>

namespace REDudi {

// Creates or opens the region's mapping and maps it for writing; the caller
// holds the set's mutex. A mapping created by this call is zeroed and given
// its size and capacity. Returns the view, or null (with `mapping` closed)
// on failure.
WIN32_LogMap* OpenLogRegion(const char* name, SECURITY_ATTRIBUTES* security, HANDLE& mapping);

// Unmaps `view` and closes `mapping`, leaving both null.
void CloseLogRegion(WIN32_LogMap*& view, HANDLE& mapping);

// Closes `handle` unless it is null, and leaves it null.
void CloseIfOpen(HANDLE& handle);

} // namespace REDudi
