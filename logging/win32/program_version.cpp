#include "logging/win32/program_version.h"

#include <REDudi/system.h>

namespace REDudi {

bool LookUpProgramFileVersion(PString& version) {
    version.clear();
    AModuleInfo info;
    PString executable;
    if (!info.GetModuleFilename(executable) || executable.empty())
        return false;
    return info.GetModuleFileVersion(executable, version);
}

} // namespace REDudi
