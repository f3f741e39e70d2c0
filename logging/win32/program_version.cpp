#include "logging/win32/program_version.h"

namespace REDudi {

bool LookUpProgramFileVersion(PString& version) {
    version.clear();
    return false;
}

} // namespace REDudi
