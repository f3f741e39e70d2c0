#include <REDudi/files.h>

namespace REDudi {

FileManager::~FileManager() {}

bool FileManager::DirExists(const AFileSpec& directory) const {
    return directory.IsDirectory() && directory.IsExisting();
}

bool FileManager::FileExists(const AFileSpec& file) const {
    return !file.IsDirectory() && file.IsExisting();
}

} // namespace REDudi
