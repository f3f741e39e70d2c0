// The few things IniFile needs from its FileSpec, kept apart so
// that the model and the writer do not depend on how files are named.
#pragma once

#include <string>

namespace REDudi {

class AFileSpec;

AFileSpec* CopyFileSpec(const AFileSpec* file);
void DeleteFileSpec(AFileSpec* file);
std::string FullPathOf(const AFileSpec* file);

} // namespace REDudi
