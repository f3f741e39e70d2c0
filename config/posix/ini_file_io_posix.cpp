// Outside Windows there is no FileSpec to open an IniFile with:
// the native build serves the parser, the model and the writer (tests,
// sanitizers, fuzzing, benchmarks), which take their text directly.
#include "config/ini_file_store.h"

#include <REDudi/config.h>

namespace REDudi {

bool IniFile::Open(char*) {
    if (open_)
        Close();
    return false;
}

bool IniFile::Open(const AFileSpec&) {
    if (open_)
        Close();
    return false;
}

bool IniFile::Read() {
    return false;
}

AFileSpec* CopyFileSpec(const AFileSpec*) {
    return nullptr;
}

void DeleteFileSpec(AFileSpec*) {}

std::string FullPathOf(const AFileSpec*) {
    return std::string();
}

} // namespace REDudi
