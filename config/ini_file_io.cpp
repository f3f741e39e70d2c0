// IniFile: opening and reading its file through a FileSpec.
#include "config/ini_file_store.h"

#include <REDudi/config.h>
#include <REDudi/files.h>

#include <cstdio>
#include <string>

namespace REDudi {

bool IniFile::Open(char* path) {
    if (open_)
        Close();
    AFileSpec* file = new AFileSpec;
    *file = PString(path == nullptr ? "" : path);
    delete file_;
    file_ = file;
    return Read();
}

bool IniFile::Open(const AFileSpec& spec) {
    if (open_)
        Close();
    AFileSpec* file = new AFileSpec(spec);
    delete file_;
    file_ = file;
    return Read();
}

bool IniFile::Read() {
    if (file_ == nullptr)
        return false;
    FILE* stream = file_->Open("r");
    if (stream == nullptr)
        return false;
    bool parsed = ParseINIFile(stream);
    std::fclose(stream);
    dirty_ = false;
    open_ = true;
    return parsed;
}

AFileSpec* CopyFileSpec(const AFileSpec* file) {
    return file == nullptr ? nullptr : new AFileSpec(*file);
}

void DeleteFileSpec(AFileSpec* file) {
    delete file;
}

std::string FullPathOf(const AFileSpec* file) {
    return file == nullptr ? std::string() : std::string(file->GetFullPath());
}

} // namespace REDudi
