#include "config/replace_file.h"

#include <windows.h>

namespace REDudi {

// A read-only file is refused, which is what a user who protected the file
// expects; the test is explicit because not every system's MoveFileEx makes
// it.
bool MoveFileOver(const std::string& from, const std::string& to) {
    DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace REDudi
