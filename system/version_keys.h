// The keys under which a version resource keeps its file version text.
#pragma once

#include <REDudi/strings.h>

namespace REDudi {

// The blocks every lookup tries: US English in the neutral, the Unicode and
// the Western European code page, tried in the order they are listed.
extern const char* const kNeutralFileVersionKey; // "\StringFileInfo\04090000\FileVersion"
extern const char* const kUnicodeFileVersionKey; // "\StringFileInfo\040904b0\FileVersion"
extern const char* const kWesternFileVersionKey; // "\StringFileInfo\040904e4\FileVersion"

// The key of the block for `language` and `codePage`, each written as four
// lowercase hexadecimal digits: 0x0407 and 1252 give
// "\StringFileInfo\040704e4\FileVersion".
PString TranslatedFileVersionKey(unsigned int language, unsigned int codePage);

} // namespace REDudi
