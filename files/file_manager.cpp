#include <REDudi/files.h>

namespace REDudi {

FileManager::~FileManager() {}

bool FileManager::DirExists(const AFileSpec& directory) const {
    return directory.IsDirectory() && directory.IsExisting();
}

// Existence is asked first: a missing path then costs one query, not two,
// and looking up a missing name is what costs most on a case-sensitive file
// system (Wine reads the whole directory for a name in another case).
bool FileManager::FileExists(const AFileSpec& file) const {
    return file.IsExisting() && !file.IsDirectory();
}

} // namespace REDudi
