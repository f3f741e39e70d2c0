// The Windows shared libraries of both families.
#pragma once

#include "system/win32/load_counted_library.h"

namespace REDudi {

class WIN32AU_SharedLibrary : public LoadCountedLibrary<SharedLibrary> {};

class WIN32AU_SharedLibrary2 : public LoadCountedLibrary<SharedLibrary2> {};

} // namespace REDudi
