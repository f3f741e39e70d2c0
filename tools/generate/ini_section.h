// The keys of one section of INI text: "[name]" lines open sections (names
// compared ignoring case), "key=value" lines belong to the section above,
// lines starting with ';' or '#' are comments. Keys and values are trimmed of
// surrounding blanks; a key met twice keeps its last value.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace REDudi {
namespace generate {

// False when the section does not occur.
bool ReadIniSection(const std::string& text, const std::string& section,
                    std::vector<std::pair<std::string, std::string>>& keys);

} // namespace generate
} // namespace REDudi
