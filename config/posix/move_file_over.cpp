#include "config/replace_file.h"

#include <cstdio>
#include <sys/stat.h>

namespace REDudi {

// rename() would replace a read-only file; refuse it as Windows does.
bool MoveFileOver(const std::string& from, const std::string& to) {
    struct stat target;
    if (::stat(to.c_str(), &target) == 0 && (target.st_mode & S_IWUSR) == 0)
        return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace REDudi
