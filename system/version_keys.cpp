#include "system/version_keys.h"

#include <cstdio>

namespace REDudi {

const char* const kNeutralFileVersionKey = "\\StringFileInfo\\04090000\\FileVersion";
const char* const kUnicodeFileVersionKey = "\\StringFileInfo\\040904b0\\FileVersion";
const char* const kWesternFileVersionKey = "\\StringFileInfo\\040904e4\\FileVersion";

PString TranslatedFileVersionKey(unsigned int language, unsigned int codePage) {
    // Each half of the block name is exactly four digits wide; larger values
    // keep their low 16 bits, as a language or code page identifier has.
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileVersion", language & 0xFFFFu,
                  codePage & 0xFFFFu);
    return PString(key);
}

} // namespace REDudi
