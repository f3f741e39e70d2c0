// The file version of the running program's executable, as its version
// resource states it.
#pragma once

#include <REDudi/strings.h>

namespace REDudi {

// False when the executable's name or its version cannot be read.
bool LookUpProgramFileVersion(PString& version);

} // namespace REDudi
